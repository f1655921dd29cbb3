#include "screen_area.h"

#include <algorithm>
#include <stdexcept>

#include "cpu_clocks.h"

namespace wallcine::bench {

RECT ScreenArea::Middle(double fraction) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const int across = std::max(1, static_cast<int>(width * fraction));
    const int down = std::max(1, static_cast<int>(height * fraction));
    const int left = (width - across) / 2;
    const int top = (height - down) / 2;
    return {left, top, left + across, top + down};
}

ScreenArea::ScreenArea(const RECT& area) : area_(area) {
    memory_.reset(::CreateCompatibleDC(screen_.get()));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), Width(), -Height(), 1, 32, BI_RGB};
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(screen_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen_ || !memory_ || !bitmap_ || !bits) throw std::runtime_error("cannot read the screen");
    bits_ = static_cast<const DWORD*>(bits);
    previous_selection_ = ::SelectObject(memory_.get(), bitmap_.get());
}

ScreenArea::~ScreenArea() { ::SelectObject(memory_.get(), previous_selection_); }

std::vector<DWORD> ScreenArea::Capture() {
    std::vector<DWORD> pixels;
    if (!::BitBlt(memory_.get(), 0, 0, Width(), Height(), screen_.get(), area_.left, area_.top, SRCCOPY))
        return pixels;
    ::GdiFlush();
    pixels.assign(bits_, bits_ + static_cast<size_t>(Width()) * Height());
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

bool HoldsPicture(const std::vector<DWORD>& pixels) {
    if (pixels.empty()) return false;
    const DWORD first = pixels.front();
    const auto differing = std::count_if(pixels.begin(), pixels.end(), [first](DWORD p) { return p != first; });
    return static_cast<size_t>(differing) * 100 > pixels.size();
}

bool Differ(const std::vector<DWORD>& a, const std::vector<DWORD>& b) { return a != b; }

DWORD MeanColour(const std::vector<DWORD>& pixels) {
    if (pixels.empty()) return 0;
    unsigned long long red = 0, green = 0, blue = 0;
    for (const DWORD pixel : pixels) {
        red += (pixel >> 16) & 0xFF;
        green += (pixel >> 8) & 0xFF;
        blue += pixel & 0xFF;
    }
    const auto n = pixels.size();
    return static_cast<DWORD>((red / n) << 16 | (green / n) << 8 | (blue / n));
}

// A picture counts as moving when a capture within this time of its first one shows it changed
// (a clip at 25 frames a second changes every 0.04 s); one that stands still longer is not yet
// the moving picture.
constexpr double kMovingWithinSeconds = 0.2;

std::optional<double> WaitForMovingPicture(HANDLE process, double patience, double& capture_interval) {
    ScreenArea screen(ScreenArea::Middle(0.5));
    const double start = WallSeconds();
    std::vector<DWORD> previous = screen.Capture();
    std::optional<double> picture_since;  // when the picture now on the screen first showed
    for (int captures = 1;; ++captures) {
        std::vector<DWORD> current = screen.Capture();
        const double now = WallSeconds();
        capture_interval = (now - start) / captures;
        if (picture_since && now - *picture_since > kMovingWithinSeconds) picture_since.reset();  // stood still
        if (!HoldsPicture(current)) {
            picture_since.reset();
        } else if (Differ(previous, current)) {
            if (picture_since) return picture_since;
            picture_since = now;
        }
        previous = std::move(current);
        if (now - start > patience || ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return std::nullopt;
    }
}

}  // namespace wallcine::bench
