// ComError: a failed HRESULT carried as an exception, for COM calls made outside the media
// graph (whose failures use the graph's own exception with the platform's error text).
#pragma once

#include <windows.h>

#include "core/errors.h"

namespace wallcine::win {

class ComError : public wallcine::Exception {
public:
    explicit ComError(HRESULT hr);
    HRESULT ErrorResult() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

// Success codes (S_OK, S_FALSE, ...) pass through unchanged.
inline HRESULT ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr)) throw ComError(hr);
    return hr;
}

// A Win32 BOOL/NULL failure as an HRESULT, at the boundary where it is detected.
inline HRESULT LastErrorResult() noexcept {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

}  // namespace wallcine::win
