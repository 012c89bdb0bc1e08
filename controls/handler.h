#pragma once

#include <functional>
#include <utility>

namespace ardentis::forms {

// One event handler slot. Empty until a form wires it; running an empty slot does nothing.
class Handler {
  public:
    void set(std::function<void()> handler) { handler_ = std::move(handler); }
    void operator()() const {
        if (handler_) {
            handler_();
        }
    }

  private:
    std::function<void()> handler_;
};

}  // namespace ardentis::forms
