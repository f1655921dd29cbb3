// Idle handlers: work the message loop runs when its queue has run dry (hiding an idle mouse
// cursor, for instance). A registration removes its handler when it goes away.
#pragma once

#include <cstdint>
#include <functional>

namespace wallcine::win {

// `done` starts true; a handler sets it false to be called again before the loop waits.
using IdleHandler = std::function<void(bool& done)>;

class IdleHandlerRegistration {
public:
    IdleHandlerRegistration() noexcept = default;
    explicit IdleHandlerRegistration(IdleHandler handler);
    ~IdleHandlerRegistration();
    IdleHandlerRegistration(const IdleHandlerRegistration&) = delete;
    IdleHandlerRegistration& operator=(const IdleHandlerRegistration&) = delete;
    IdleHandlerRegistration(IdleHandlerRegistration&& other) noexcept;
    IdleHandlerRegistration& operator=(IdleHandlerRegistration&& other) noexcept;

private:
    std::uint64_t id_ = 0;
};

// Runs every registered handler once; true when all of them are done.
bool RunIdleHandlers();

}  // namespace wallcine::win
