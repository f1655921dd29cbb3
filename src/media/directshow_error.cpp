#include "media/directshow_error.h"

#include <errors.h>

#include <cstring>

namespace wallcine::media {

std::string DirectShowErrorText(HRESULT code) {
    char text[256] = {};
    if (::AMGetErrorTextA(code, text, 255) == 0) return {};
    text[255] = '\0';
    return text;
}

HRESULT CheckGraphResult(HRESULT code) {
    if (SUCCEEDED(code)) return code;
    throw EDirectShowException(
        DirectShowErrorText(code) + Format(" ($%lX).", static_cast<unsigned long>(code)), code);
}

}  // namespace wallcine::media
