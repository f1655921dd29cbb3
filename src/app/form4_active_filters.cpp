#include "app/form4_active_filters.h"

#include <cwchar>
#include <string>

#include "app/application.h"
#include "app/control_ids.h"
#include "app/form1_main.h"
#include "media/filter_list.h"
#include "media/graph_utilities.h"
#include "win/code_page.h"
#include "win/com_ptr.h"

namespace wallcine::app {

namespace {

constexpr int kFormWidth = 273;
constexpr int kFormHeight = 392;
constexpr int kMinimumSize = 240;
constexpr int kRowHeight = 13;

// A filter's name (up to its first NUL) as the system's 8-bit code page shows it.
std::string NarrowName(const WCHAR (&name)[MAX_FILTER_NAME]) {
    return win::WideToAnsi(std::wstring_view(name, ::wcsnlen(name, MAX_FILTER_NAME)));
}

}  // namespace

TForm4::TForm4() {
    CreateCentredForm("TForm4", "Active Directshow Filters", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                      0, kFormWidth, kFormHeight);
    font_ = CreateFormFont();
    RECT client{};
    ::GetClientRect(Handle(), &client);
    // The list fills the client area, so it is not trimmed to whole rows.
    ListBox1.Create(Handle(),
                    {kIdFilterNames, 0, 0, client.right, client.bottom, Scale()(kRowHeight), LBS_NOINTEGRALHEIGHT},
                    font_.get());
}

void TForm4::OnDpiChanged() {
    // The list holds the old font until it is given the new one; only then does it go.
    const win::unique_hfont old_font = std::move(font_);
    font_ = CreateFormFont();
    ListBox1.SetFont(font_.get(), Scale()(kRowHeight));
}

void TForm4::FormShow() {
    ListBox1.Clear();
    // No graph while nothing plays: the list stays empty.
    const media::TFilterList filters(Form1 ? Form1->FilterGraph1.Graph() : nullptr);
    for (int index = 0; index < filters.Count(); ++index) {
        media::ScopedFilterInfo info;
        filters.FilterInfo(index, info);
        ListBox1.Add(NarrowName(info.achName));
    }
}

void TForm4::ListBox1DblClick() {
    const int selected = ListBox1.ItemIndex();
    if (selected < 0) return;
    IFilterGraph2* graph = Form1 ? Form1->FilterGraph1.Graph() : nullptr;
    if (!graph) return;
    // A name from an older graph finds nothing; the dialog is then not shown.
    win::com_ptr<IBaseFilter> filter;
    IBaseFilter* found = nullptr;
    if (SUCCEEDED(graph->FindFilterByName(win::AnsiToWide(ListBox1.Item(selected)).c_str(), &found)))
        filter = win::com_ptr<IBaseFilter>::attach(found);
    media::ShowFilterDialog(Handle(), filter.get(), media::fdkPropertyPages);
}

LRESULT TForm4::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wparam) == kIdFilterNames && HIWORD(wparam) == LBN_DBLCLK) ListBox1DblClick();
        return 0;
    case WM_SIZE:
        if (ListBox1.Handle())
            ::SetWindowPos(ListBox1.Handle(), nullptr, 0, 0, LOWORD(lparam), HIWORD(lparam),
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
        limits->ptMinTrackSize = {Scale()(kMinimumSize), Scale()(kMinimumSize)};
        limits->ptMaxTrackSize.y = Scale()(kFormHeight);
        return 0;
    }
    default:
        return AuxiliaryForm::HandleMessage(message, wparam, lparam);
    }
}

}  // namespace wallcine::app
