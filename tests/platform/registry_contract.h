#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace ardentis::testing {

// A registry to hold to the contract, with a scratch key of its own to work under.
struct RegistryUnderTest {
    std::unique_ptr<platform::Registry> registry;
    std::string scratchPath;        // under the current user
    std::function<void()> cleanUp;  // runs before and after each case
};

using RegistryMaker = RegistryUnderTest (*)();

// What the settings and the launch code rely on, for the fake and the real registry alike.
class RegistryContract : public ::testing::TestWithParam<RegistryMaker> {
  protected:
    void SetUp() override {
        subject_ = GetParam()();
        if (subject_.cleanUp) {
            subject_.cleanUp();
        }
    }
    void TearDown() override {
        if (subject_.cleanUp) {
            subject_.cleanUp();
        }
    }
    platform::Registry& registry() { return *subject_.registry; }
    [[nodiscard]] std::string path(std::string_view below) const {
        return subject_.scratchPath + "\\" + std::string(below);
    }

  private:
    RegistryUnderTest subject_;
};

}  // namespace ardentis::testing
