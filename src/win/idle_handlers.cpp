#include "win/idle_handlers.h"

#include <windows.h>

#include <map>
#include <utility>

#include "win/show_exception.h"

namespace wallcine::win {

namespace {
// GUI-thread state: idle handlers run only from the GUI thread's message loop.
std::map<std::uint64_t, IdleHandler>& Handlers() {
    static std::map<std::uint64_t, IdleHandler> handlers;
    return handlers;
}
std::uint64_t next_id = 1;
}  // namespace

IdleHandlerRegistration::IdleHandlerRegistration(IdleHandler handler) : id_(next_id++) {
    Handlers().emplace(id_, std::move(handler));
}

IdleHandlerRegistration::~IdleHandlerRegistration() {
    if (id_) Handlers().erase(id_);
}

IdleHandlerRegistration::IdleHandlerRegistration(IdleHandlerRegistration&& other) noexcept
    : id_(std::exchange(other.id_, 0)) {}

IdleHandlerRegistration& IdleHandlerRegistration::operator=(IdleHandlerRegistration&& other) noexcept {
    if (this != &other) {
        if (id_) Handlers().erase(id_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

bool RunIdleHandlers() {
    bool all_done = true;
    // A copy: a handler may register or remove handlers.
    const auto handlers = Handlers();
    for (const auto& [id, handler] : handlers) {
        if (!Handlers().contains(id)) continue;
        bool done = true;
        try {
            handler(done);
        } catch (...) {
            ShowCurrentException();
        }
        all_done = all_done && done;
    }
    return all_done;
}

}  // namespace wallcine::win
