// Binding a C++ object to the window it owns: the window procedure finds the object, forwards
// each message to one member, and lets no exception out into the system.
//
// The owner passes `this` as CreateWindowEx's creation parameter (or calls Bind right after an
// unparameterised creation). WM_NCCREATE stores the window in the owner's unique_hwnd; at
// WM_NCDESTROY the owner lets go of it, so a window the system destroys is never destroyed twice.
// An owner's destructor calls Unbind before its window goes, so no message reaches a
// half-destroyed object.
#pragma once

#include <windows.h>

#include "win/show_exception.h"
#include "win/unique_handle.h"

namespace wallcine::win {

// Registers a window class once per process; raises when the system refuses.
void RegisterWindowClassOnce(const WNDCLASSEXA& window_class);

template <class Owner>
void Bind(HWND window, Owner* owner) noexcept {
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
}

inline void Unbind(HWND window) noexcept {
    if (window) ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
}

template <class Owner, unique_hwnd Owner::*Window, LRESULT (Owner::*Handle)(UINT, WPARAM, LPARAM)>
LRESULT CALLBACK BoundWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        if (auto* created = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams)) {
            (created->*Window).reset(window);
            Bind(window, created);
        }
    }
    auto* owner = reinterpret_cast<Owner*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!owner) return ::DefWindowProcA(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        Unbind(window);
        (void)(owner->*Window).release();
        return ::DefWindowProcA(window, message, wparam, lparam);
    }
    try {
        return (owner->*Handle)(message, wparam, lparam);
    } catch (...) {
        ShowCurrentException();
        return 0;
    }
}

}  // namespace wallcine::win
