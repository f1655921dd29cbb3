// scope_exit: runs a callable when the scope is left, however it is left (as wil's scope_exit).
// For a paired step that has no owner type of its own; never for a handle or a COM reference.
#pragma once

#include <utility>

namespace wallcine::win {

template <class Action>
class scope_exit {
public:
    explicit scope_exit(Action action) noexcept : action_(std::move(action)) {}
    ~scope_exit() { action_(); }
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;

private:
    Action action_;
};

}  // namespace wallcine::win
