#include "arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <memory>

namespace wallcine::bench {

std::vector<std::wstring> CommandLineArguments() {
    int count = 0;
    const std::unique_ptr<wchar_t*, decltype(&::LocalFree)> argv(::CommandLineToArgvW(::GetCommandLineW(), &count),
                                                                 &::LocalFree);
    std::vector<std::wstring> arguments;
    for (int i = 1; argv && i < count; ++i) arguments.emplace_back(argv.get()[i]);
    return arguments;
}

std::optional<std::vector<std::wstring>> ReadArguments(const std::vector<std::wstring>& arguments,
                                                       const std::map<std::wstring, Option>& options,
                                                       size_t min_paths, size_t max_paths) {
    std::vector<std::wstring> paths;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument.rfind(L"--", 0) != 0) {
            paths.push_back(argument);
            continue;
        }
        const auto option = options.find(argument);
        if (option == options.end()) return std::nullopt;
        if (!option->second.takes_value) {
            if (!option->second.read(L"")) return std::nullopt;
            continue;
        }
        if (i + 1 >= arguments.size() || !option->second.read(arguments[++i])) return std::nullopt;
    }
    if (paths.size() < min_paths || paths.size() > max_paths) return std::nullopt;
    return paths;
}

Option Flag(bool& set) {
    return {false, [&set](const std::wstring&) {
                set = true;
                return true;
            }};
}

Option Number(double& value, double min, double max) {
    return {true, [&value, min, max](const std::wstring& text) {
                wchar_t* end = nullptr;
                const double read = std::wcstod(text.c_str(), &end);
                if (text.empty() || *end != L'\0' || !(read >= min && read <= max)) return false;
                value = read;
                return true;
            }};
}

Option Whole(long& value, long min, long max) {
    return {true, [&value, min, max](const std::wstring& text) {
                wchar_t* end = nullptr;
                const long read = std::wcstol(text.c_str(), &end, 10);
                if (text.empty() || *end != L'\0' || read < min || read > max) return false;
                value = read;
                return true;
            }};
}

Option Whole(int& value, int min, int max) {
    return {true, [&value, min, max](const std::wstring& text) {
                long read = 0;
                if (!Whole(read, min, max).read(text)) return false;
                value = static_cast<int>(read);
                return true;
            }};
}

Option Host(std::vector<HostProcess>& hosts) {
    return {true, [&hosts](const std::wstring& text) {
                const auto host = ParseHostProcess(text);
                if (host) hosts.push_back(*host);
                return host.has_value();
            }};
}

}  // namespace wallcine::bench
