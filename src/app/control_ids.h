// Identifiers of the menu commands and child controls of Wallcine's windows. The end-to-end
// driver uses them too, to post commands and to read controls from outside the process.
#pragma once

namespace wallcine::app {

// Messages the main window receives.
inline constexpr unsigned kWmTrayNotify = 1024 + 666;  // the tray icon's callback (WM_USER + 666)
inline constexpr unsigned kWmPlayNext = 1024 + 555;    // play the next playlist row (WM_USER + 555)
inline constexpr unsigned kTrayIconId = 600;
// The supervision tick as the GUI thread receives it from winmm's thread (WM_APP + 1); the
// performance bench times the handling of this message.
inline constexpr unsigned kWmSupervisionTick = 0x8000 + 1;

// The tray menu's commands, as WM_COMMAND ids to the main window.
enum MenuCommand : unsigned {
    kCmdLoadFile = 101,
    kCmdPlaylist = 102,
    kCmdPlayingControl = 104,
    kCmdStretchMovie = 105,
    kCmdActiveFilters = 106,
    kCmdExit = 108,
};

// Child controls of the playing control window (TForm2).
enum PlayingControlId : int {
    kIdCreditLabel = 201,  // Label1
    kIdYearLabel = 202,    // Label2
    kIdPicturePanel = 203, // Panel1
    kIdPicture = 204,      // Image1
    kIdPlayPause = 205,    // SpeedButton1
    kIdPosition = 206,     // TrackBar1
    kIdVolume = 207,       // TrackBar2
    kIdTitle = 208,        // movielbl
    kIdStatusBar = 209,    // StatusBar1
};

// Child controls of the playlist window (TForm3).
enum PlaylistId : int {
    kIdPlaylistRows = 301,  // ListBox1
    kIdAddToList = 302,     // Button1
    kIdDeleteFromList = 303,  // Button2
    kIdSaveList = 304,      // Button4
};

// Child controls of the active filters window (TForm4).
enum ActiveFiltersId : int {
    kIdFilterNames = 401,  // ListBox1
};

}  // namespace wallcine::app
