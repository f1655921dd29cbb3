// AppRig: every platform piece the application's windows need, faked, and the four windows
// created in their order from a first command-line argument, as start-up creates them.
//  - a fake filter graph (with IMediaPosition knobs) and a fake Video Renderer; the Overlay Mixer
//    is not registered, as under Wine; a render adds a source filter whose video goes straight
//    into the renderer;
//  - a desktop-services recorder (message boxes, tray icon, registry, colours, ShellExecute);
//  - scripted file dialogs; a fake winmm, so the supervision tick runs only when a test asks.
// The constructor installs the fakes; CreateForms builds TForm1..TForm4 through the program's own
// start-up wiring (app::ApplicationForms), which publishes them in app::Form1..Form4; the
// destructor destroys them, resets the playback state and checks that every fake is back at its
// owner's reference.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/form1_main.h"
#include "app/form2_playing_control.h"
#include "app/form3_playlist.h"
#include "app/form4_active_filters.h"
#include "fakes/desktop_services_recorder.h"
#include "fakes/fake_dshow.h"
#include "fakes/fake_filter.h"
#include "fakes/fake_graph.h"
#include "fakes/fake_overlay.h"
#include "fakes/fake_winmm.h"
#include "fakes/scripted_file_dialogs.h"
#include "win/desktop_services.h"
#include "win/object_factory.h"
#include "win/unique_handle.h"

namespace wallcine::test {

// The lines of a trace or call record that start with `prefix`, in order.
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix);

// The first seek in `lines` made while the graph was running ("control.Run" seen, no
// "control.Stop" since), or an empty string when there is none. Under Wine 8 a graph seeked while
// running hangs in its next Stop, so the program's own sequences seek only a stopped graph.
std::string SeekWhileRunning(const std::vector<std::string>& lines);

class AppRig {
public:
    explicit AppRig(std::string first_argument = "C:\\media\\first.avi");
    ~AppRig();
    AppRig(const AppRig&) = delete;
    AppRig& operator=(const AppRig&) = delete;

    // Creates TForm1 and, unless its creation ended the program, TForm2..TForm4.
    void CreateForms();
    // Destroys the windows (the last first) and clears the shared playback state.
    void DestroyForms();

    // Runs one supervision tick as winmm's thread would request it (from a thread of its own
    // when the fake winmm is in that mode), and lets the GUI thread handle it (with the messages
    // it posts).
    void Tick();
    // The lines of the trace from `first` on, and the count now (to mark a point in the trace).
    std::vector<std::string> TraceFrom(size_t first) const;

    std::string first_argument;
    win::com_init_scope com;
    Trace trace;
    FakeFilterGraph graph{trace};
    FakeObjectFactory factory{trace, graph};
    FakeVideoRenderer renderer{trace};
    FakeFilter source{L"Source", &trace};
    FakePin source_video{source, L"Video", PINDIR_OUTPUT};
    DesktopServicesRecorder desktop;
    ScriptedFileDialogs dialogs;
    FakeWinmm winmm;

    std::unique_ptr<app::ApplicationForms> forms;
    // The windows `forms` made (null where it made none), as app::Form1..Form4 publish them.
    app::TForm1* form1 = nullptr;
    app::TForm2* form2 = nullptr;
    app::TForm3* form3 = nullptr;
    app::TForm4* form4 = nullptr;

private:
    win::ScopedObjectFactory factory_scope_{factory};
    win::ScopedDesktopServices desktop_scope_{desktop};
    app::ScopedFileDialogs dialogs_scope_{dialogs};
};

}  // namespace wallcine::test
