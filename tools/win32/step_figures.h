#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ardentis::bench {

// The times of one kind of step, in microseconds, and their summary line.
class StepFigures {
  public:
    StepFigures(std::string name, std::size_t expected);

    void add(double microseconds) { samples_.push_back(microseconds); }
    // "name  n  min  median  p99  mean", the times in microseconds.
    [[nodiscard]] std::string line();
    [[nodiscard]] static std::string header();

  private:
    std::string name_;
    std::vector<double> samples_;
};

}  // namespace ardentis::bench
