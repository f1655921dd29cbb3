// Failed DirectShow calls as exceptions: CheckGraphResult turns a failure HRESULT into an
// EDirectShowException whose message is the platform's text for the code followed by
// " ($XXXXXXXX).", and lets success codes (S_OK, S_FALSE, ...) through unchanged.
#pragma once

#include <windows.h>

#include <string>

#include "core/errors.h"

namespace wallcine::media {

class EDirectShowException : public wallcine::Exception {
public:
    EDirectShowException(const std::string& message, HRESULT error_result)
        : wallcine::Exception(message), error_result_(error_result) {}
    HRESULT ErrorResult() const noexcept { return error_result_; }

private:
    HRESULT error_result_;
};

// The platform's text for a code, at most 255 characters; empty when it has none.
std::string DirectShowErrorText(HRESULT code);

HRESULT CheckGraphResult(HRESULT code);

}  // namespace wallcine::media
