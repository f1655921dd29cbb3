#include "app/controls/file_dialogs.h"

#include <algorithm>
#include <cstring>

namespace wallcine::app {

namespace {

// Room for a selection of many files: the names of one directory, NUL-separated. The system
// cannot report a needed size above 0xFFFF in the buffer's first WORD, so larger buys nothing.
constexpr DWORD kFileBufferSize = 64 * 1024;

class SystemDialogs final : public IFileDialogs {
public:
    BOOL GetOpenFileNameA(OPENFILENAMEA& request) override { return ::GetOpenFileNameA(&request); }
    BOOL GetSaveFileNameA(OPENFILENAMEA& request) override { return ::GetSaveFileNameA(&request); }
    DWORD CommDlgExtendedError() override { return ::CommDlgExtendedError(); }
};

SystemDialogs system_dialogs;
IFileDialogs* current_dialogs = &system_dialogs;

// A dialog that returned FALSE: a cancel is not an error; anything else is reported, so a
// selection the program could not take is never mistaken for the user's cancel.
void RaiseUnlessCancelled(DWORD extended_error) {
    if (extended_error == 0) return;
    if (extended_error == FNERR_BUFFERTOOSMALL)
        throw EFileDialogError("Too many files selected. Select fewer files at a time.");
    throw EFileDialogError(Format("The file dialog failed (error 0x%04lX).", static_cast<unsigned long>(extended_error)));
}

OPENFILENAMEA DialogRequest(HWND owner, const std::string& filter, std::vector<char>& buffer, DWORD options) {
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = buffer.data();
    request.nMaxFile = static_cast<DWORD>(buffer.size());
    request.Flags = options;
    return request;
}

}  // namespace

IFileDialogs& SystemFileDialogs() { return system_dialogs; }
IFileDialogs& FileDialogs() { return *current_dialogs; }

ScopedFileDialogs::ScopedFileDialogs(IFileDialogs& replacement)
    : win::ScopedOverride<IFileDialogs>(current_dialogs, replacement) {}

std::string DialogFilter(const std::string& bar_separated) {
    if (bar_separated.empty()) return {};
    std::string filter = bar_separated;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.append(2, '\0');
    return filter;
}

std::vector<std::string> SelectedPaths(const char* buffer, size_t buffer_size, WORD file_offset) {
    const auto text_at = [&](size_t start) {
        return start < buffer_size ? std::string(buffer + start, ::strnlen(buffer + start, buffer_size - start))
                                   : std::string();
    };
    const std::string first = text_at(0);
    if (first.empty()) return {};
    const bool several = file_offset > 0 && file_offset <= buffer_size && buffer[file_offset - 1] == '\0';
    if (!several) return {first};

    // A root directory comes with its backslash ("C:\"), any other without one.
    const std::string directory = first.ends_with('\\') ? first : first + '\\';
    std::vector<std::string> paths;
    for (size_t start = first.size() + 1;;) {
        const std::string name = text_at(start);
        if (name.empty()) break;
        paths.push_back(directory + name);
        start += name.size() + 1;
    }
    return paths;
}

bool TOpenDialog::Execute(HWND owner) {
    Files.clear();
    const std::string filter = DialogFilter(Filter);
    std::vector<char> buffer(kFileBufferSize, '\0');
    OPENFILENAMEA request = DialogRequest(owner, filter, buffer, Options);
    IFileDialogs& dialogs = FileDialogs();
    if (!dialogs.GetOpenFileNameA(request)) {
        RaiseUnlessCancelled(dialogs.CommDlgExtendedError());
        return false;
    }
    Files = SelectedPaths(buffer.data(), buffer.size(), request.nFileOffset);
    if (Files.empty()) return false;
    FileName = Files.front();
    return true;
}

bool TSaveDialog::Execute(HWND owner) {
    const std::string filter = DialogFilter(Filter);
    std::vector<char> buffer(kFileBufferSize, '\0');
    // A proposal too long for the buffer is left out rather than cut short.
    if (FileName.size() < buffer.size()) std::copy(FileName.begin(), FileName.end(), buffer.begin());
    OPENFILENAMEA request = DialogRequest(owner, filter, buffer, Options);
    request.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    IFileDialogs& dialogs = FileDialogs();
    if (!dialogs.GetSaveFileNameA(request)) {
        RaiseUnlessCancelled(dialogs.CommDlgExtendedError());
        return false;
    }
    const std::string chosen(buffer.data(), ::strnlen(buffer.data(), buffer.size()));
    if (chosen.empty()) return false;
    FileName = chosen;
    return true;
}

}  // namespace wallcine::app
