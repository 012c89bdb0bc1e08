#pragma once

#include <filesystem>
#include <string_view>

namespace ardentis::testing {

// A simulated program of this build tree, e.g. "sim_totala.exe", found from the test
// executable's own directory.
[[nodiscard]] std::filesystem::path simProgram(std::string_view fileName);

}  // namespace ardentis::testing
