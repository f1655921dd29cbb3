#include "app/form2_playing_control.h"

#include <stdexcept>

#include "app/application.h"
#include "app/control_ids.h"
#include "app/form1_main.h"
#include "app/form3_playlist.h"
#include "app/jpeg_picture.h"
#include "app/play_pause_glyphs.h"
#include "app/playback_state.h"
#include "app/playing_control_picture.h"
#include "app/version.h"
#include "core/time_text.h"
#include "core/volume.h"
#include "win/desktop_services.h"
#include "win/unique_handle.h"
#include "win/window_binding.h"

namespace wallcine::app {

namespace {

constexpr char kCaption[] = " Wallcine Player " WALLCINE_VERSION_SHORT;
constexpr int kClientWidth = 272;
constexpr int kClientHeight = 273;
constexpr char kMakerWebPage[] = "http://quillon.example.org/wallcine/";
constexpr COLORREF kTitleText = RGB(0xC0, 0xC0, 0xC0);  // silver on black
constexpr COLORREF kTitleBackground = RGB(0, 0, 0);

// Fixed single border, system menu only: no minimise or maximise box, no resizing. A tool window
// like the other auxiliary windows, so it has no taskbar button of its own. WS_EX_COMPOSITED
// double-buffers the whole window: the supervision rewrites the title, thumb and status panels
// 50 times a second, and without it they flicker.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_COMPOSITED;

HWND CreateChild(HWND parent, const char* window_class, DWORD style, int id, int left, int top, int width,
                 int height) {
    HWND child = ::CreateWindowExA(0, window_class, "", WS_CHILD | WS_VISIBLE | style, left, top, width, height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   ::GetModuleHandleA(nullptr), nullptr);
    if (!child) throw std::runtime_error("Cannot create a control of the playing control window");
    return child;
}

}  // namespace

struct TForm2::Resources {
    DecodedPicture picture = DecodeJpeg(PlayingControlPicture());
    win::unique_hbitmap glyphs = MakePlayPauseGlyphs();
    // At the window's DPI: made anew when it changes.
    win::unique_hfont normal;
    win::unique_hfont bold;
    win::unique_hfont bold_underlined;
};

TForm2::TForm2() : resources_(std::make_unique<Resources>()) {
    CreateCentredForm("TForm2", kCaption, kStyle, kExStyle, kClientWidth, kClientHeight, SizeOf::ClientArea);
    MakeFonts();
    CreateControls();
}

// No message may reach the handlers once the fonts and bitmaps are gone; the window itself goes
// with the base class.
TForm2::~TForm2() { win::Unbind(Handle()); }

void TForm2::MakeFonts() {
    resources_->normal = CreateFormFont();
    resources_->bold = CreateFormFont(FW_BOLD);
    resources_->bold_underlined = CreateFormFont(FW_BOLD, true);
}

void TForm2::CreateControls() {
    HWND form = Handle();
    HFONT normal = resources_->normal.get();
    const DpiScale& px = Scale();
    // Created in tab order: the play/pause button, then the two track bars.
    Label1.Create(form, {kIdCreditLabel, px(80), px(8), 0, px(13), SS_NOTIFY, "Developed by Quillon"},
                  resources_->bold_underlined.get());
    Label2.Create(form, {kIdYearLabel, px(120), px(24), 0, px(13), 0, "2008"}, resources_->bold.get());
    // The panel is only a raised frame behind the picture; clipped by its sibling so that a
    // repaint of the frame never paints over the picture.
    panel_ = CreateChild(form, "STATIC", SS_OWNERDRAW | WS_CLIPSIBLINGS, kIdPicturePanel, px(32), px(40), px(205),
                         px(157));
    // The picture has its bitmap's size at 96 DPI, 6 pixels inside the panel, above it.
    picture_ = CreateChild(form, "STATIC", SS_OWNERDRAW | SS_NOTIFY, kIdPicture, px(32 + 6), px(40 + 6),
                           px(resources_->picture.width), px(resources_->picture.height));
    ::SetWindowPos(picture_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // A tab stop too: a keyboard user plays and pauses with the space bar.
    speed_button_ = CreateChild(form, "BUTTON", BS_OWNERDRAW | WS_TABSTOP, kIdPlayPause, px(32), px(200), px(32),
                                px(28));
    TrackBar1.Create(form, {kIdPosition, px(72), px(200), px(161), px(25), false, 0, 100, 0, 1, 10, "Position"});
    TrackBar2.Create(form, {kIdVolume, px(240), px(48), px(25), px(150), true, 1, 10000, 1, 100, 1000, "Volume"});
    // One line that scrolls: a long title is clipped at the right edge, never wrapped.
    movielbl.Create(form, {kIdTitle, 0, px(238), px(272), px(16), SS_LEFTNOWORDWRAP, "Wallcine Player"}, normal);
    StatusBar1.Create(form, kIdStatusBar, 19,
                      {{136, TStatusBar::Alignment::Left}, {50, TStatusBar::Alignment::Right}}, true);
    StatusBar1.SetScale(px);
    ::SendMessageA(StatusBar1.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(normal), FALSE);
    ::SendMessageA(speed_button_, WM_SETFONT, reinterpret_cast<WPARAM>(normal), FALSE);
    TrackBar1.OnChange = [this] { TrackBar1Change(); };
    TrackBar2.OnChange = [this] { TrackBar2Change(); };
}

void TForm2::OnDpiChanged() {
    // The controls hold the old fonts until they are given the new ones; only then do those go.
    win::unique_hfont old_normal = std::move(resources_->normal);
    win::unique_hfont old_bold = std::move(resources_->bold);
    win::unique_hfont old_bold_underlined = std::move(resources_->bold_underlined);
    MakeFonts();
    HFONT normal = resources_->normal.get();
    Label1.SetFont(resources_->bold_underlined.get());
    Label2.SetFont(resources_->bold.get());
    movielbl.SetFont(normal);
    ::SendMessageA(StatusBar1.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(normal), TRUE);
    ::SendMessageA(speed_button_, WM_SETFONT, reinterpret_cast<WPARAM>(normal), TRUE);
    StatusBar1.SetScale(Scale());
}

void TForm2::FormShow() {
    movielbl.SetCaption(TitleText(CurrentFile));
    ReadDuration();
    // Below the stored position the track bar clamps it and TrackBar1Change seeks there.
    TrackBar1.SetMax(ToSliderTenths(CurDuration));
}

void TForm2::SpeedButton1Click() {
    // The graph is being rebuilt (the click came through a message pump inside a start).
    if (Form1->Busy()) return;
    Form1->ForgetUnseenPause();
    if (IsPlaying) {
        Form1->FilterGraph1.Pause();
        IsPlaying = false;
    } else {
        Form1->FilterGraph1.Play();
        IsPlaying = true;
    }
}

void TForm2::TrackBar1Change() {
    SeekTo(TrackBar1.Position() / 10.0);
    ReadPosition();
    ReadDuration();
    ShowPositionAndDuration();
}

void TForm2::ShowPositionAndDuration() {
    StatusBar1.SetPanelText(0, PositionText(CurPosition));
    StatusBar1.SetPanelText(1, DurationText(CurDuration));
}

void TForm2::TrackBar2Change() {
    // Kept, so that the supervision can give the volume again after it restarts an item.
    VolumeLevel = VolumeLevelFromSlider(TrackBar2.Position());
    Form1->FilterGraph1.SetVolume(VolumeLevel);
}

// The launch's result is not examined: a page that does not open is not the player's failure.
void TForm2::Label1Click() {
    win::DesktopServices().ShellExecuteA(Handle(), "open", kMakerWebPage, nullptr, nullptr, SW_SHOWNORMAL);
}

void TForm2::Image1Click() { Form3->Show(); }

LRESULT TForm2::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wparam), HIWORD(wparam));
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        HWND control = reinterpret_cast<HWND>(lparam);
        if (control == TrackBar1.Handle()) TrackBar1.Scrolled();
        if (control == TrackBar2.Handle()) TrackBar2.Scrolled();
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lparam) == movielbl.Handle()) {
            HDC dc = reinterpret_cast<HDC>(wparam);
            ::SetTextColor(dc, kTitleText);
            ::SetBkColor(dc, kTitleBackground);
            return reinterpret_cast<LRESULT>(::GetStockObject(BLACK_BRUSH));
        }
        break;
    case WM_DRAWITEM:
        if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam))) return TRUE;
        break;
    case WM_SIZE:
        // Only a change of DPI resizes this fixed-size window: the status bar stays along its bottom.
        if (StatusBar1.Handle()) StatusBar1.ParentResized();
        break;
    case WM_SETCURSOR: {
        // The credit and the picture are links: the hand-point cursor over them.
        HWND under_mouse = reinterpret_cast<HWND>(wparam);
        if (LOWORD(lparam) == HTCLIENT && (under_mouse == Label1.Handle() || under_mouse == picture_)) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return AuxiliaryForm::HandleMessage(message, wparam, lparam);
}

void TForm2::OnCommand(int id, int code) {
    if (id == kIdCreditLabel && code == STN_CLICKED) Label1Click();
    if (id == kIdPicture && code == STN_CLICKED) Image1Click();
    // A speed button toggles on every click, the second of a double click too.
    if (id == kIdPlayPause && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) {
        speed_button_down_ = !speed_button_down_;
        ::InvalidateRect(speed_button_, nullptr, FALSE);
        SpeedButton1Click();
    }
}

bool TForm2::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem == panel_) DrawPanel(item);
    else if (item.hwndItem == picture_) DrawPicture(item);
    else if (item.hwndItem == speed_button_) DrawSpeedButton(item);
    else return false;
    return true;
}

void TForm2::DrawPanel(const DRAWITEMSTRUCT& item) const {
    RECT frame = item.rcItem;
    ::FillRect(item.hDC, &frame, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(item.hDC, &frame, BDR_RAISEDINNER, BF_RECT);
}

void TForm2::DrawPicture(const DRAWITEMSTRUCT& item) const {
    win::unique_hdc source(::CreateCompatibleDC(item.hDC));
    if (!source) return;
    win::select_object_scope select(source.get(), resources_->picture.bitmap.get());
    const RECT& shown = item.rcItem;
    const int width = shown.right - shown.left, height = shown.bottom - shown.top;
    if (width == resources_->picture.width && height == resources_->picture.height) {
        ::BitBlt(item.hDC, shown.left, shown.top, width, height, source.get(), 0, 0, SRCCOPY);
        return;
    }
    // Scaled to the DPI: HALFTONE averages the pixels rather than dropping or doubling them.
    ::SetStretchBltMode(item.hDC, HALFTONE);
    ::SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    ::StretchBlt(item.hDC, shown.left, shown.top, width, height, source.get(), 0, 0, resources_->picture.width,
                 resources_->picture.height, SRCCOPY);
}

void TForm2::DrawSpeedButton(const DRAWITEMSTRUCT& item) const {
    const bool pressed = item.itemState & ODS_SELECTED;  // the mouse is holding it
    const bool disabled = item.itemState & ODS_DISABLED;
    RECT face = item.rcItem;
    ::DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed || speed_button_down_ ? DFCS_PUSHED : 0));
    const GlyphImage image = disabled             ? GlyphImage::Disabled
                             : pressed            ? GlyphImage::Pressed
                             : speed_button_down_ ? GlyphImage::Down
                                                  : GlyphImage::Up;
    // A pushed button shows its glyph one pixel down and to the right.
    const int shift = pressed || speed_button_down_ ? 1 : 0;
    const int left = (item.rcItem.right - item.rcItem.left - kGlyphWidth) / 2 + shift;
    const int top = (item.rcItem.bottom - item.rcItem.top - kGlyphHeight) / 2 + shift;
    DrawGlyph(item.hDC, resources_->glyphs.get(), image, left, top);
}

}  // namespace wallcine::app
