#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "protocol/traffic_log.h"

namespace ardentis::testing {

// Lines that show whether they landed whole: a writer tag, a running number and a body
// derived from both.
void writeLogLine(const protocol::TrafficLog& log, char tag, int index);
void writeLogLines(const protocol::TrafficLog& log, char tag, int count);
// Checks every line of the file (a failure is reported through GoogleTest) and returns how
// many whole lines each writer left, each writer's lines numbered 0, 1, 2 ... in order.
[[nodiscard]] std::map<char, int> checkLogLines(const std::string& bytes);

// Runs this test executable again as a second process that appends `count` lines tagged
// `tag` to `file`; returns its exit status.
[[nodiscard]] int runLogWriterProcess(const std::filesystem::path& file, char tag, int count);
// The second process's side: handles "--append-log-lines FILE TAG COUNT"; returns its exit
// status, or nothing when the arguments are not that.
[[nodiscard]] std::optional<int> logWriterMain(int argc, char** argv);

}  // namespace ardentis::testing
