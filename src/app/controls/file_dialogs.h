// The common file dialogs the main window owns: TOpenDialog (several files may be selected) and
// TSaveDialog. Both go through IFileDialogs, the system's GetOpenFileNameA/GetSaveFileNameA by
// default and a scripted answer in tests (ScopedFileDialogs).
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "win/platform_override.h"

namespace wallcine::app {

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual BOOL GetOpenFileNameA(OPENFILENAMEA& request) = 0;
    virtual BOOL GetSaveFileNameA(OPENFILENAMEA& request) = 0;
    // Why the last dialog returned FALSE: 0 when the user cancelled.
    virtual DWORD CommDlgExtendedError() = 0;
};

// The system's dialogs.
IFileDialogs& SystemFileDialogs();
// What the dialogs call: the system's unless a test has put a scripted stand-in in place.
IFileDialogs& FileDialogs();

class ScopedFileDialogs : public win::ScopedOverride<IFileDialogs> {
public:
    explicit ScopedFileDialogs(IFileDialogs& replacement);
};

// "Description|patterns|Description|patterns" -> the NUL-separated, double-NUL-ended form
// (empty for an empty filter: the dialog then has none).
std::string DialogFilter(const std::string& bar_separated);

// The paths a confirmed Explorer-style dialog wrote into `buffer`: one full path, or, when
// `file_offset` follows a NUL, a directory and the names after it ("dir\0a\0b\0\0").
std::vector<std::string> SelectedPaths(const char* buffer, size_t buffer_size, WORD file_offset);

// A dialog that could not be shown, or whose answer did not fit ("Too many files selected").
class EFileDialogError : public Exception {
public:
    using Exception::Exception;
};

class TOpenDialog {
public:
    std::string Filter;  // bar-separated pairs, the first selected when the dialog opens
    DWORD Options = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_ENABLESIZING | OFN_EXPLORER;

    // Empties Files, then shows the dialog. True when the user confirmed: Files holds the
    // selected paths in the dialog's order and FileName the first of them. Raises
    // EFileDialogError when the dialog fails or the selection does not fit its buffer.
    bool Execute(HWND owner);

    std::vector<std::string> Files;
    std::string FileName;
};

class TSaveDialog {
public:
    std::string Filter;
    std::string DefaultExt;  // added when the user types a name without an extension
    std::string FileName;    // proposed when the dialog opens; the chosen path afterwards
    // No OFN_OVERWRITEPROMPT: an existing file is replaced without asking.
    DWORD Options = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;

    // True when the user confirmed a name (then in FileName); raises EFileDialogError when the
    // dialog fails.
    bool Execute(HWND owner);
};

}  // namespace wallcine::app
