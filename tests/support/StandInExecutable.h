#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zurbo::testing {

// What a stand-in for an external tool does when run.
struct StandInBehaviour {
    // From this run on (counting from 1) the tool fails with `exitStatus`;
    // earlier runs behave as if it were 0. Zero means every run.
    int failFromRun = 0;
    int exitStatus = 0;
    // Bytes written to standard error.
    std::string standardError;
    // Copied to the output path the tool was given ("-sOutputFile=..." or the last argument).
    std::optional<std::filesystem::path> outputFrom;
    // Hands the call on to this real program after recording it.
    std::optional<std::string> delegateTo;
};

// A shell script in `folder` that records every run (count and the last
// argument list) and then behaves as told.
class StandInExecutable {
public:
    StandInExecutable(const std::filesystem::path& folder, const std::string& name,
                      const StandInBehaviour& behaviour);

    const std::filesystem::path& path() const { return m_path; }
    int runCount() const;
    std::vector<std::string> lastArguments() const;

private:
    std::filesystem::path m_path;
    std::filesystem::path m_record;
};

// Sets (or, with no value, unsets) an environment variable for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value);
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment();

private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

} // namespace zurbo::testing
