// ScopedOverride: swaps one process-wide platform seam for a test double for the life of a
// scope and puts the previous one back, so tests can nest and never leak a fake.
#pragma once

#include <utility>

namespace wallcine::win {

template <class Interface>
class ScopedOverride {
public:
    ScopedOverride(Interface*& slot, Interface& replacement) noexcept
        : slot_(slot), previous_(std::exchange(slot, &replacement)) {}
    ~ScopedOverride() { slot_ = previous_; }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    Interface*& slot_;
    Interface* previous_;
};

}  // namespace wallcine::win
