#include "app/auxiliary_form.h"

#include <stdexcept>

namespace wallcine::app {

void AuxiliaryForm::CreateCentredForm(const char* class_name, const char* caption, DWORD style, DWORD ex_style,
                                      int width, int height) {
    CreateForm({class_name, caption, style, ex_style | WS_EX_TOOLWINDOW,
                (::GetSystemMetrics(SM_CXSCREEN) - width) / 2, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                width, height});
}

win::unique_hfont AuxiliaryForm::CreateFormFont(int weight, bool underline) {
    win::unique_hfont font(::CreateFontA(-11, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET,
                                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                         DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
    if (!font) throw std::runtime_error("Cannot create the windows' font");
    return font;
}

LRESULT AuxiliaryForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) {
        Hide();
        return 0;
    }
    return FormWindow::HandleMessage(message, wparam, lparam);
}

}  // namespace wallcine::app
