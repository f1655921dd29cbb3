// FakeShellWindows: a window tree the shell search walks instead of the system's. Each node has
// a class name and a parent; siblings keep the order they were added in, from the top of the
// z-order down. Handles are made up unless a test passes real windows (when the layer must be
// created inside them). Messages sent through it are recorded, and the spawn message can
// change the tree as the shell does when it builds its WorkerW.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "win/shell_windows.h"

namespace wallcine::test {

class FakeShellWindows final : public win::IShellWindows {
public:
    // Adds a window as the last (bottom) child of `parent`, or before `before` among them;
    // `real` is used as the handle when given. Returns the handle.
    HWND Add(const std::string& class_name, HWND parent = nullptr, HWND before = nullptr, HWND real = nullptr);
    // Moves a window (and its place) under another parent, at the bottom of its children.
    void Reparent(HWND window, HWND parent);
    void Remove(HWND window);

    // Runs when a window is sent a message; false makes the send time out.
    std::function<bool(HWND window, UINT message)> on_message;
    // "<message> <wparam> <lparam>" for each message sent, in hex as "0x52C 0xD 0x1".
    std::vector<std::string> sent;

    HWND FindWindowExA(HWND parent, HWND child_after, const char* class_name) override;
    std::vector<HWND> TopLevelWindows() override;
    bool SendMessageTimeoutA(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT flags, UINT timeout_ms,
                             DWORD_PTR* result) override;

private:
    struct Node {
        HWND handle;
        std::string class_name;
        HWND parent;
    };
    std::vector<Node> nodes_;
    INT_PTR next_made_up_ = 0x7000;
};

}  // namespace wallcine::test
