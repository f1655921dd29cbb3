// com_ptr: the one owner of a COM interface reference in Wallcine.
// Move-only, so a reference is never released twice or leaked by a copy; an explicit clone()
// makes a second owner. query<U>() throws ComError on failure, try_query<U>() returns empty.
#pragma once

#include <objbase.h>

#include <cstddef>
#include <utility>

#include "win/com_error.h"

namespace wallcine::win {

template <class T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    com_ptr(std::nullptr_t) noexcept {}
    ~com_ptr() { reset(); }

    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    com_ptr(com_ptr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    com_ptr& operator=(com_ptr&& other) noexcept {
        if (this != &other) {
            reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }

    // Takes over a reference the caller already owns (an out parameter, a factory result).
    static com_ptr attach(T* raw) noexcept {
        com_ptr result;
        result.ptr_ = raw;
        return result;
    }
    // Adds a reference of its own to a pointer someone else owns.
    static com_ptr copy_from(T* raw) noexcept {
        if (raw) raw->AddRef();
        return attach(raw);
    }
    com_ptr clone() const noexcept { return copy_from(ptr_); }

    void reset() noexcept {
        if (T* old = std::exchange(ptr_, nullptr)) old->Release();
    }
    [[nodiscard]] T* detach() noexcept { return std::exchange(ptr_, nullptr); }

    // For out parameters: releases what is held and hands out the slot.
    T** put() noexcept {
        reset();
        return &ptr_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    T& operator*() const noexcept { return *ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

    template <class U>
    HRESULT query_to(com_ptr<U>& out) const noexcept {
        if (!ptr_) {
            out.reset();
            return E_POINTER;
        }
        return ptr_->QueryInterface(__uuidof(U), out.put_void());
    }
    template <class U>
    com_ptr<U> try_query() const noexcept {
        com_ptr<U> out;
        query_to(out);
        return out;
    }
    template <class U>
    com_ptr<U> query() const {
        com_ptr<U> out;
        ThrowIfFailed(query_to(out));
        return out;
    }

private:
    T* ptr_ = nullptr;
};

template <class T>
bool operator==(const com_ptr<T>& a, std::nullptr_t) noexcept { return !a; }

}  // namespace wallcine::win
