#include "core/errors.h"

namespace wallcine {

std::string FormatV(const char* fmt, va_list args) {
    va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, fmt, sizing);
    va_end(sizing);
    if (length <= 0) return std::string();

    // vsnprintf writes a terminating NUL, so give it one byte more than the text.
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int written = std::vsnprintf(text.data(), text.size(), fmt, args);
    if (written < 0) return std::string();
    text.resize(static_cast<std::size_t>(written) < text.size() - 1 ? static_cast<std::size_t>(written)
                                                                    : text.size() - 1);
    return text;
}

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string text = FormatV(fmt, args);
    va_end(args);
    return text;
}

EListError::EListError(int index)
    : Exception(Format("List index out of bounds (%d)", index)), index_(index) {}

EFOpenError::EFOpenError(const std::string& path)
    : Exception(Format("Cannot open file %s", path.c_str())), path_(path) {}

EFCreateError::EFCreateError(const std::string& path)
    : Exception(Format("Cannot create file %s", path.c_str())), path_(path) {}

EWriteError::EWriteError(const std::string& path)
    : Exception(Format("Cannot write file %s", path.c_str())), path_(path) {}

}  // namespace wallcine
