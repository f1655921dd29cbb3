// Move-only owners for Win32 handles, one alias per kind, and scoped helpers for paired calls.
// Copying an owner does not compile, so no handle is closed twice.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <utility>

namespace wallcine::win {

// Traits: `type`, `invalid()` and `close(type)`.
template <class Traits>
class unique_handle {
public:
    using handle_type = typename Traits::type;

    unique_handle() noexcept = default;
    explicit unique_handle(handle_type handle) noexcept : handle_(handle) {}
    ~unique_handle() { reset(); }

    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept : handle_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    void reset(handle_type handle = Traits::invalid()) noexcept {
        handle_type old = std::exchange(handle_, handle);
        if (old != Traits::invalid()) Traits::close(old);
    }
    [[nodiscard]] handle_type release() noexcept { return std::exchange(handle_, Traits::invalid()); }
    handle_type get() const noexcept { return handle_; }
    handle_type* put() noexcept {
        reset();
        return &handle_;
    }
    explicit operator bool() const noexcept { return handle_ != Traits::invalid(); }

private:
    handle_type handle_ = Traits::invalid();
};

namespace handle_traits {
template <class T, auto Close>
struct null_invalid {
    using type = T;
    static constexpr T invalid() noexcept { return nullptr; }
    static void close(T handle) noexcept { Close(handle); }
};
inline void close_kernel_handle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void destroy_window(HWND h) noexcept { ::DestroyWindow(h); }
inline void delete_dc(HDC h) noexcept { ::DeleteDC(h); }
inline void delete_gdi_object(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void destroy_menu(HMENU h) noexcept { ::DestroyMenu(h); }
inline void destroy_icon(HICON h) noexcept { ::DestroyIcon(h); }
inline void close_key(HKEY h) noexcept { ::RegCloseKey(h); }
inline void free_library(HMODULE h) noexcept { ::FreeLibrary(h); }
inline void free_bstr(BSTR text) noexcept { ::SysFreeString(text); }
inline void free_task_memory(void* memory) noexcept { ::CoTaskMemFree(memory); }
// A file handle's "none" is INVALID_HANDLE_VALUE, not null.
struct file {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};
}  // namespace handle_traits

using unique_handle_kernel = unique_handle<handle_traits::null_invalid<HANDLE, handle_traits::close_kernel_handle>>;
using unique_hwnd = unique_handle<handle_traits::null_invalid<HWND, handle_traits::destroy_window>>;
// A DC from CreateCompatibleDC/CreateDC; a window's DC is a unique_window_dc.
using unique_hdc = unique_handle<handle_traits::null_invalid<HDC, handle_traits::delete_dc>>;
using unique_hbitmap = unique_handle<handle_traits::null_invalid<HBITMAP, handle_traits::delete_gdi_object>>;
using unique_hbrush = unique_handle<handle_traits::null_invalid<HBRUSH, handle_traits::delete_gdi_object>>;
using unique_hfont = unique_handle<handle_traits::null_invalid<HFONT, handle_traits::delete_gdi_object>>;
using unique_hmenu = unique_handle<handle_traits::null_invalid<HMENU, handle_traits::destroy_menu>>;
using unique_hicon = unique_handle<handle_traits::null_invalid<HICON, handle_traits::destroy_icon>>;
using unique_hkey = unique_handle<handle_traits::null_invalid<HKEY, handle_traits::close_key>>;
using unique_hmodule = unique_handle<handle_traits::null_invalid<HMODULE, handle_traits::free_library>>;
using unique_hfile = unique_handle<handle_traits::file>;
using unique_bstr = unique_handle<handle_traits::null_invalid<BSTR, handle_traits::free_bstr>>;
// Memory the callee allocated with the task allocator (CAUUID arrays, strings).
using unique_cotaskmem = unique_handle<handle_traits::null_invalid<void*, handle_traits::free_task_memory>>;

// A window's DC from GetDC/GetWindowDC: released against the window it came from.
class unique_window_dc {
public:
    unique_window_dc() noexcept = default;
    unique_window_dc(HWND window, HDC dc) noexcept : window_(window), dc_(dc) {}
    static unique_window_dc get(HWND window) noexcept { return {window, ::GetDC(window)}; }
    ~unique_window_dc() { reset(); }
    unique_window_dc(const unique_window_dc&) = delete;
    unique_window_dc& operator=(const unique_window_dc&) = delete;
    unique_window_dc(unique_window_dc&& other) noexcept
        : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
    unique_window_dc& operator=(unique_window_dc&& other) noexcept {
        if (this != &other) {
            reset();
            window_ = std::exchange(other.window_, nullptr);
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    void reset() noexcept {
        if (dc_) ::ReleaseDC(window_, dc_);
        window_ = nullptr;
        dc_ = nullptr;
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// BeginPaint/EndPaint for one WM_PAINT.
class paint_scope {
public:
    explicit paint_scope(HWND window) noexcept : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
    ~paint_scope() { ::EndPaint(window_, &paint_); }
    paint_scope(const paint_scope&) = delete;
    paint_scope& operator=(const paint_scope&) = delete;
    HDC dc() const noexcept { return dc_; }
    const PAINTSTRUCT& info() const noexcept { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

// SelectObject that puts the previous object back.
class select_object_scope {
public:
    select_object_scope(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~select_object_scope() {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    select_object_scope(const select_object_scope&) = delete;
    select_object_scope& operator=(const select_object_scope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// CoInitializeEx for the life of a scope; uninitialises only when the call succeeded.
class com_init_scope {
public:
    explicit com_init_scope(DWORD model = COINIT_APARTMENTTHREADED) noexcept
        : result_(::CoInitializeEx(nullptr, model)) {}
    ~com_init_scope() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    com_init_scope(const com_init_scope&) = delete;
    com_init_scope& operator=(const com_init_scope&) = delete;
    HRESULT result() const noexcept { return result_; }

private:
    HRESULT result_;
};

}  // namespace wallcine::win
