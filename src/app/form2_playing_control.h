// TForm2: the playing control window: scrolling title, position and volume sliders, play/pause,
// elapsed and total time, a credit label and a picture that opens the playlist. Created hidden;
// closing it only hides it. The main window's supervision writes its title, thumb and status
// texts (see form1_supervision.cpp).
#pragma once

#include <memory>

#include "app/auxiliary_form.h"
#include "app/controls/static_label.h"
#include "app/controls/status_bar.h"
#include "app/controls/track_bar.h"

namespace wallcine::app {

class TForm2 : public AuxiliaryForm {
public:
    TForm2();
    ~TForm2() override;

    // Title, then the position slider's range from the current item's duration.
    void FormShow() override;

    // Both status panels from CurPosition and CurDuration (the tick and the seek write them).
    void ShowPositionAndDuration();

    void SpeedButton1Click();
    void TrackBar1Change();
    void TrackBar2Change();
    void Label1Click();
    void Image1Click();

    // The play/pause button's own toggled state (down: the triangle, playing). Only the user's
    // clicks change it; the handlers follow IsPlaying instead.
    bool SpeedButton1Down() const noexcept { return speed_button_down_; }

    TLabel Label1;         // the credit, opening the maker's web page
    TLabel Label2;         // the year
    TLabel movielbl;       // the scrolling title
    TTrackBar TrackBar1;   // position, in tenths of a second
    TTrackBar TrackBar2;   // volume, 1 (loudest) .. 10000 (silent)
    TStatusBar StatusBar1; // panel 0 position, panel 1 duration

protected:
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    void OnDpiChanged() override;

private:
    void MakeFonts();
    void CreateControls();
    void OnCommand(int id, int code);
    bool OnDrawItem(const DRAWITEMSTRUCT& item);
    void DrawPanel(const DRAWITEMSTRUCT& item) const;
    void DrawPicture(const DRAWITEMSTRUCT& item) const;
    void DrawSpeedButton(const DRAWITEMSTRUCT& item) const;

    struct Resources;
    std::unique_ptr<Resources> resources_;  // fonts, picture, glyphs
    HWND panel_ = nullptr;         // Panel1, the picture's frame
    HWND picture_ = nullptr;       // Image1
    HWND speed_button_ = nullptr;  // SpeedButton1
    bool speed_button_down_ = true;
};

}  // namespace wallcine::app
