// Exceptions raised by the portable core, and a printf-style string helper.
//
// Every error the core reports derives from wallcine::Exception, so the UI can
// catch one type and show what() to the user.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <string>

#if defined(__MINGW32__) && defined(__MINGW_PRINTF_FORMAT)
#define WALLCINE_PRINTF_FORMAT(fmt, first) __attribute__((format(__MINGW_PRINTF_FORMAT, fmt, first)))
#elif defined(__GNUC__)
#define WALLCINE_PRINTF_FORMAT(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define WALLCINE_PRINTF_FORMAT(fmt, first)
#endif

namespace wallcine {

// printf-style formatting into a std::string of exactly the needed size.
// Returns an empty string if the format itself is invalid for the C library.
std::string Format(const char* fmt, ...) WALLCINE_PRINTF_FORMAT(1, 2);
std::string FormatV(const char* fmt, va_list args);

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An index outside a list: "List index out of bounds (<index>)".
class EListError : public Exception {
public:
    explicit EListError(int index);
    int index() const noexcept { return index_; }

private:
    int index_;
};

// A file that could not be opened or read: "Cannot open file <path>".
class EFOpenError : public Exception {
public:
    explicit EFOpenError(const std::string& path);
    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

// A file that could not be created: "Cannot create file <path>".
class EFCreateError : public Exception {
public:
    explicit EFCreateError(const std::string& path);
    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

// A file that was created but whose contents could not all be written
// (disk full, I/O error on flush or close): "Cannot write file <path>".
class EWriteError : public Exception {
public:
    explicit EWriteError(const std::string& path);
    const std::string& path() const noexcept { return path_; }

private:
    std::string path_;
};

}  // namespace wallcine
