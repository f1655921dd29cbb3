#include "screenshot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "test_files.h"
#include "win/unique_handle.h"

namespace wallcine::e2e {
namespace {

bool WriteBmp(const std::string& path, const BITMAPINFOHEADER& header, const std::vector<BYTE>& pixels) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
                         std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && written;
}

// Z:\a\b -> /a/b: Wine maps the Unix root to drive Z:, and a person reads Unix paths.
std::string UnixPath(std::string path) {
    if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path.erase(0, 2);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

size_t RowBytes(LONG width) { return static_cast<size_t>((width * 3 + 3) & ~3); }

}  // namespace

COLORREF ScreenCapture::PixelAt(int x, int y) const {
    const LONG column = x - area.left;
    const LONG row_from_top = y - area.top;
    if (Empty() || column < 0 || column >= header.biWidth || row_from_top < 0 || row_from_top >= header.biHeight)
        return CLR_INVALID;
    const BYTE* pixel = &pixels[RowBytes(header.biWidth) * (header.biHeight - 1 - row_from_top) + column * 3];
    return RGB(pixel[2], pixel[1], pixel[0]);  // stored blue, green, red
}

ScreenCapture CaptureScreen(const RECT& area) {
    ScreenCapture capture{area};
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return capture;
    win::unique_window_dc screen = win::unique_window_dc::get(nullptr);
    win::unique_hdc memory(::CreateCompatibleDC(screen.get()));
    win::unique_hbitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!screen || !memory || !bitmap) return capture;
    {
        win::select_object_scope selected(memory.get(), bitmap.get());
        if (!::BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY)) return capture;
    }
    BITMAPINFOHEADER header = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
    std::vector<BYTE> pixels(RowBytes(width) * height);
    if (::GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                    DIB_RGB_COLORS) != height)
        return capture;
    capture.header = header;
    capture.pixels = std::move(pixels);
    return capture;
}

ScreenCapture CaptureWholeScreen() {
    return CaptureScreen({0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
}

std::string SaveCapture(const ScreenCapture& capture, const std::string& name) {
    const std::string directory = BuildPath("screenshots");
    ::CreateDirectoryA(directory.c_str(), nullptr);
    const std::string path = directory + "\\" + name + ".bmp";
    if (capture.Empty() || !WriteBmp(path, capture.header, capture.pixels)) {
        ADD_FAILURE() << "cannot save the screenshot " << path;
        return {};
    }
    std::printf("screenshot: %s\n", UnixPath(path).c_str());
    return path;
}

std::string SaveScreenshot(HWND window, const std::string& name) {
    if (!::IsWindowVisible(window)) {
        ADD_FAILURE() << "no screenshot of " << name << ": the window is hidden";
        return {};
    }
    // Repainting waits for the window's thread: ask it only when that thread answers at all.
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored)) {
        ADD_FAILURE() << "no screenshot of " << name << ": the window does not answer";
        return {};
    }
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::GdiFlush();

    RECT area{};
    ::GetWindowRect(window, &area);
    return SaveCapture(CaptureScreen(area), name);
}

}  // namespace wallcine::e2e
