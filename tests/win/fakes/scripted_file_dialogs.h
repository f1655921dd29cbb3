// ScriptedFileDialogs: stands in for the common file dialogs. A test queues the user's answers
// beforehand; each dialog request takes the next answer, writes it into the request's buffer the
// way the system does, and is recorded. A request with no answer queued fails the test and is
// answered as a cancel. Install it with app::ScopedFileDialogs.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/controls/file_dialogs.h"

namespace wallcine::test {

class ScriptedFileDialogs : public app::IFileDialogs {
public:
    // nullopt: the user cancels. Open: the full paths the user selects, all in one directory;
    // one path comes back as that path, several as "directory NUL name NUL name NUL NUL", as the
    // Explorer-style dialog returns them. Save: one full path.
    std::deque<std::optional<std::vector<std::string>>> open_answers;
    std::deque<std::optional<std::vector<std::string>>> save_answers;

    // What the program asked the dialog for.
    struct Request {
        HWND owner = nullptr;
        std::string filter;              // as passed: pairs separated and ended by NULs
        DWORD filter_index = 0;
        DWORD flags = 0;
        std::string default_extension;   // empty when none was given
        std::string proposed_file_name;  // what the buffer held when the dialog opened
        DWORD buffer_size = 0;           // nMaxFile
    };
    std::vector<Request> open_requests;
    std::vector<Request> save_requests;

    BOOL GetOpenFileNameA(OPENFILENAMEA& request) override;
    BOOL GetSaveFileNameA(OPENFILENAMEA& request) override;
    // 0 after a confirmed or cancelled dialog; FNERR_BUFFERTOOSMALL when an answer did not fit.
    DWORD CommDlgExtendedError() override { return extended_error_; }

private:
    BOOL Answer(OPENFILENAMEA& request, std::deque<std::optional<std::vector<std::string>>>& answers,
                std::vector<Request>& requests, const char* dialog, bool allows_several);

    DWORD extended_error_ = 0;
};

}  // namespace wallcine::test
