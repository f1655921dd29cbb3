#include "fakes/fake_shell_windows.h"

#include <algorithm>
#include <cstdio>

namespace wallcine::test {

HWND FakeShellWindows::Add(const std::string& class_name, HWND parent, HWND before, HWND real) {
    const HWND handle = real ? real : reinterpret_cast<HWND>(next_made_up_ += 0x10);
    auto place = std::find_if(nodes_.begin(), nodes_.end(), [&](const Node& node) { return node.handle == before; });
    nodes_.insert(before ? place : nodes_.end(), Node{handle, class_name, parent});
    return handle;
}

void FakeShellWindows::Reparent(HWND window, HWND parent) {
    auto node = std::find_if(nodes_.begin(), nodes_.end(), [&](const Node& each) { return each.handle == window; });
    if (node == nodes_.end()) return;
    Node moved = *node;
    nodes_.erase(node);
    moved.parent = parent;
    nodes_.push_back(moved);
}

void FakeShellWindows::Remove(HWND window) {
    std::erase_if(nodes_, [&](const Node& node) { return node.handle == window || node.parent == window; });
}

HWND FakeShellWindows::FindWindowExA(HWND parent, HWND child_after, const char* class_name) {
    bool searching = child_after == nullptr;
    for (const Node& node : nodes_) {
        if (node.parent != parent) continue;
        if (!searching) {
            searching = node.handle == child_after;
            continue;
        }
        if (node.class_name == class_name) return node.handle;
    }
    return nullptr;
}

std::vector<HWND> FakeShellWindows::TopLevelWindows() {
    std::vector<HWND> windows;
    for (const Node& node : nodes_)
        if (!node.parent) windows.push_back(node.handle);
    return windows;
}

bool FakeShellWindows::SendMessageTimeoutA(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT, UINT,
                                           DWORD_PTR* result) {
    char line[64];
    std::snprintf(line, sizeof line, "0x%X 0x%llX 0x%llX", message, static_cast<unsigned long long>(wparam),
                  static_cast<unsigned long long>(lparam));
    sent.emplace_back(line);
    if (result) *result = 0;
    return on_message ? on_message(window, message) : true;
}

}  // namespace wallcine::test
