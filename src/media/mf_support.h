// Media Foundation as Wallcine uses it: its start-up held for the life of an object, and a
// PROPVARIANT that is cleared when it goes.
#pragma once

#include <windows.h>
#include <mfapi.h>
#include <propidl.h>

namespace wallcine::media {

// MFStartup for the life of a scope; MFShutdown only when the start-up worked. Declare it before
// the Media Foundation objects it serves, so they are released before the shutdown.
class mf_startup_scope {
public:
    mf_startup_scope() noexcept : result_(::MFStartup(MF_VERSION, MFSTARTUP_LITE)) {}
    ~mf_startup_scope() {
        if (SUCCEEDED(result_)) ::MFShutdown();
    }
    mf_startup_scope(const mf_startup_scope&) = delete;
    mf_startup_scope& operator=(const mf_startup_scope&) = delete;
    HRESULT result() const noexcept { return result_; }

private:
    HRESULT result_;
};

class unique_propvariant {
public:
    unique_propvariant() noexcept { ::PropVariantInit(&value_); }
    ~unique_propvariant() { ::PropVariantClear(&value_); }
    unique_propvariant(const unique_propvariant&) = delete;
    unique_propvariant& operator=(const unique_propvariant&) = delete;
    PROPVARIANT* get() noexcept { return &value_; }
    const PROPVARIANT& value() const noexcept { return value_; }

private:
    PROPVARIANT value_;
};

}  // namespace wallcine::media
