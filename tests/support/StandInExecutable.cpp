#include "StandInExecutable.h"

#include "TestFolder.h"

#include <cstdlib>
#include <sstream>

namespace fs = std::filesystem;

namespace zurbo::testing {

StandInExecutable::StandInExecutable(const fs::path& folder, const std::string& name,
                                     const StandInBehaviour& behaviour)
    : m_path(folder / name), m_record(folder / (name + ".record"))
{
    fs::create_directories(m_record);
    writeFile(m_record / "stderr", behaviour.standardError);
    std::ostringstream script;
    script << "#!/bin/sh\n"
           << "record='" << m_record.string() << "'\n"
           << "echo x >> \"$record/runs\"\n"
           << ": > \"$record/arguments\"\n"
           << "for a in \"$@\"; do printf '%s\\0' \"$a\" >> \"$record/arguments\"; done\n";
    if (behaviour.exitStatus != 0 && behaviour.failFromRun > 0) {
        script << "if [ $(wc -l < \"$record/runs\") -ge " << behaviour.failFromRun << " ]; then "
               << "cat \"$record/stderr\" >&2; exit " << behaviour.exitStatus << "; fi\n";
    }
    if (behaviour.delegateTo) {
        script << "exec '" << *behaviour.delegateTo << "' \"$@\"\n";
    } else {
        if (behaviour.outputFrom) {
            script << "out=''; last=''\n"
                   << "for a in \"$@\"; do case \"$a\" in -sOutputFile=*) "
                      "out=\"${a#-sOutputFile=}\";; "
                      "esac; last=\"$a\"; done\n"
                   << "[ -n \"$out\" ] || out=\"$last\"\n"
                   << "cp '" << behaviour.outputFrom->string() << "' \"$out\"\n";
        }
        const int status = behaviour.failFromRun > 0 ? 0 : behaviour.exitStatus;
        script << "cat \"$record/stderr\" >&2\n"
               << "exit " << status << "\n";
    }
    writeFile(m_path, script.str());
    fs::permissions(m_path, fs::perms::owner_all);
}

int StandInExecutable::runCount() const
{
    const std::string runs = readFile(m_record / "runs");
    return static_cast<int>(runs.size() / 2);
}

std::vector<std::string> StandInExecutable::lastArguments() const
{
    std::vector<std::string> arguments;
    std::istringstream in(readFile(m_record / "arguments"));
    for (std::string argument; std::getline(in, argument, '\0');) {
        arguments.push_back(argument);
    }
    return arguments;
}

ScopedEnvironment::ScopedEnvironment(std::string name, const std::optional<std::string>& value)
    : m_name(std::move(name))
{
    if (const char* previous = std::getenv(m_name.c_str())) {
        m_previous = previous;
    }
    if (value) {
        ::setenv(m_name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(m_name.c_str());
    }
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (m_previous) {
        ::setenv(m_name.c_str(), m_previous->c_str(), 1);
    } else {
        ::unsetenv(m_name.c_str());
    }
}

} // namespace zurbo::testing
