#pragma once

#include <optional>
#include <string>

namespace ardentis::testing {

// Sets a variable of this process's environment, which the programs it starts inherit,
// and puts back what was there at the end of the object.
class EnvironmentOverride {
  public:
    EnvironmentOverride(std::wstring name, const std::wstring& value);
    ~EnvironmentOverride();
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

  private:
    std::wstring name_;
    std::optional<std::wstring> previous_;
};

}  // namespace ardentis::testing
