#include "fakes/scripted_file_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace wallcine::test {

namespace {

// A NUL-separated list ending in two NULs, kept whole (NULs included, the final pair left out).
std::string DoubleNulList(const char* list) {
    if (!list) return {};
    std::string text;
    while (*list) {
        const size_t length = std::strlen(list);
        text.append(list, length + 1);
        list += length + 1;
    }
    return text;
}

struct DialogResult {
    std::string text;  // the bytes written into lpstrFile, terminators included
    WORD file_offset = 0;
};

// One path: the path itself. Several: the directory, then each name, as Explorer-style
// multiple selection returns them (a root directory keeps its backslash).
DialogResult FormatOpenSelection(const std::vector<std::string>& paths) {
    DialogResult result;
    if (paths.size() == 1) {
        result.text = paths[0] + '\0';
        const size_t separator = paths[0].find_last_of("\\:");
        result.file_offset = static_cast<WORD>(separator == std::string::npos ? 0 : separator + 1);
        return result;
    }
    const size_t separator = paths[0].rfind('\\');
    const std::string prefix = paths[0].substr(0, separator + 1);
    std::string directory = prefix.substr(0, prefix.size() - 1);
    if (directory.size() == 2 && directory[1] == ':') directory += '\\';
    result.text = directory + '\0';
    result.file_offset = static_cast<WORD>(result.text.size());
    for (const std::string& path : paths) {
        const bool in_directory = separator != std::string::npos && path.starts_with(prefix) &&
                                  path.find('\\', prefix.size()) == std::string::npos;
        if (!in_directory) ADD_FAILURE() << "a multiple selection comes from one directory: " << path;
        result.text += path.substr(std::min(prefix.size(), path.size())) + '\0';
    }
    result.text += '\0';
    return result;
}

}  // namespace

BOOL ScriptedFileDialogs::GetOpenFileNameA(OPENFILENAMEA& request) {
    return Answer(request, open_answers, open_requests, "open", true);
}

BOOL ScriptedFileDialogs::GetSaveFileNameA(OPENFILENAMEA& request) {
    return Answer(request, save_answers, save_requests, "save", false);
}

BOOL ScriptedFileDialogs::Answer(OPENFILENAMEA& request,
                                 std::deque<std::optional<std::vector<std::string>>>& answers,
                                 std::vector<Request>& requests, const char* dialog, bool allows_several) {
    extended_error_ = 0;
    Request asked;
    asked.owner = request.hwndOwner;
    asked.filter = DoubleNulList(request.lpstrFilter);
    asked.filter_index = request.nFilterIndex;
    asked.flags = request.Flags;
    asked.default_extension = request.lpstrDefExt ? request.lpstrDefExt : "";
    asked.proposed_file_name = request.lpstrFile ? std::string(request.lpstrFile) : std::string();
    asked.buffer_size = request.nMaxFile;
    requests.push_back(asked);

    if (answers.empty()) {
        ADD_FAILURE() << "the " << dialog << " dialog was shown with no answer queued";
        return FALSE;
    }
    const std::optional<std::vector<std::string>> answer = answers.front();
    answers.pop_front();
    if (!answer) return FALSE;
    if (answer->empty() || (!allows_several && answer->size() != 1)) {
        ADD_FAILURE() << "a " << dialog << " answer needs " << (allows_several ? "one path or more" : "one path");
        return FALSE;
    }

    const DialogResult result = FormatOpenSelection(*answer);
    if (result.text.size() > request.nMaxFile) {
        // The system reports the size it needs in the buffer's first two bytes.
        extended_error_ = FNERR_BUFFERTOOSMALL;
        if (request.lpstrFile && request.nMaxFile >= sizeof(WORD)) {
            const WORD needed = static_cast<WORD>(std::min<size_t>(result.text.size(), 0xFFFF));
            std::memcpy(request.lpstrFile, &needed, sizeof needed);
        }
        return FALSE;
    }
    std::memcpy(request.lpstrFile, result.text.data(), result.text.size());
    request.nFileOffset = result.file_offset;
    return TRUE;
}

}  // namespace wallcine::test
