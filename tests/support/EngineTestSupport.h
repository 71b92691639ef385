#pragma once

#include "TestFolder.h"

#include <cstdlib>
#include <iterator>
#include <optional>
#include <sstream>

namespace zurbo::testing {

// The words of `line`, split at blanks.
inline std::vector<std::string> split(const std::string& line)
{
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

// What a stand-in for Ghostscript or qpdf does when run.
struct StandInBehaviour {
    // From this run on (counting from 1) the tool ends with `exitStatus`, a
    // negative one meaning killed by that signal; earlier runs exit with 0.
    int failFromRun = 1;
    int exitStatus = 0;
    std::string standardError;
    // Copied to the output it was given ("-sOutputFile=..." or the last argument).
    std::optional<std::filesystem::path> outputFrom;
    // Shell lines run first, with the arguments in "$@".
    std::string firstLines;
};

// A shell script that records the arguments of every run and behaves as told.
class StandInExecutable {
public:
    StandInExecutable(const std::filesystem::path& folder, const std::string& name,
                      const StandInBehaviour& behaviour)
        : m_path(folder / name), m_record(folder / (name + ".runs"))
    {
        std::filesystem::create_directories(m_record);
        writeFile(folder / (name + ".stderr"), behaviour.standardError);
        std::ostringstream script;
        script << "#!/bin/sh\n"
               << behaviour.firstLines << "\nrun=$(( $(ls '" << m_record.string()
               << "' | wc -l) + 1 ))\n"
               << "{ printf '%s\\0' \"$@\"; readlink /proc/self/fd/3 /proc/self/fd/4 | tr '\\n' "
                  "'\\0'; } > '"
               << m_record.string() << "'/$run 2>/dev/null\n";
        if (behaviour.outputFrom) {
            // Ghostscript reads "%%" in its output name as one '%'.
            script << "for a in \"$@\"; do case \"$a\" in -sOutputFile=*) out=$(printf '%s' "
                      "\"${a#-sOutputFile=}\" | sed 's/%%/%/g');; esac; last=\"$a\"; done\n"
                   << "cp '" << behaviour.outputFrom->string() << "' \"${out:-$last}\"\n";
        }
        script << "cat '" << (folder / (name + ".stderr")).string() << "' >&2\n"
               << "[ $run -ge " << behaviour.failFromRun << " ] || exit 0\n"
               << (behaviour.exitStatus < 0 ? "kill " + std::to_string(behaviour.exitStatus) + " $$"
                                            : "exit " + std::to_string(behaviour.exitStatus));
        writeFile(m_path, script.str());
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all);
    }

    const std::filesystem::path& path() const { return m_path; }

    // The argument list of every run so far, in order, each followed by the files
    // open as the run's descriptors 3 and 4, where a tool is handed its source and output.
    std::vector<std::vector<std::string>> runs() const
    {
        std::vector<std::vector<std::string>> runs;
        for (int run = 1; std::filesystem::exists(m_record / std::to_string(run)); ++run) {
            std::istringstream in(readFile(m_record / std::to_string(run)));
            runs.emplace_back();
            for (std::string argument; std::getline(in, argument, '\0');) {
                runs.back().push_back(argument);
            }
        }
        return runs;
    }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_record;
};

// Sets (or, with no value, unsets) an environment variable for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value)
        : m_name(std::move(name))
    {
        if (const char* previous = std::getenv(m_name.c_str())) {
            m_previous = previous;
        }
        value ? ::setenv(m_name.c_str(), value->c_str(), 1) : ::unsetenv(m_name.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment()
    {
        m_previous ? ::setenv(m_name.c_str(), m_previous->c_str(), 1) : ::unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

} // namespace zurbo::testing
