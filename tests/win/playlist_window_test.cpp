// The playlist window with the application's other windows around it (AppRig): the rows built
// from the start-up selection, the window's layout, selecting the playing row when shown,
// "Delete from List" in both of its branches, dragging rows by real mouse messages, playing a
// row, "Add to List" and "Save List" through scripted dialogs and real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/playback_state.h"
#include "core/time_text.h"
#include "fakes/app_rig.h"

namespace wallcine::app {
namespace {

using Rows = std::vector<std::string>;
constexpr int kRowHeight = 13;

class PlaylistWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        dir_ = std::filesystem::temp_directory_path() / ("wallcine_playlist_" + std::to_string(random()));
        ASSERT_TRUE(std::filesystem::create_directory(dir_));
    }
    void TearDown() override {
        rig.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    void WriteBytes(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string ReadBytes(const std::string& name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Starts the application with a playlist file of `rows` on the command line: the first row
    // plays and the playlist window holds them all.
    void StartWith(const Rows& rows) {
        std::string text;
        for (const std::string& row : rows) text += row + "\r\n";
        WriteBytes("start.wcl", text);
        rig.emplace(PathOf("start.wcl"));
        rig->CreateForms();
        ASSERT_TRUE(rig->form3);
    }

    TForm3& Form() { return *rig->form3; }
    TListBox& List() { return rig->form3->ListBox1; }
    size_t TraceMark() const { return rig->trace.size(); }
    // The renders since `mark`, as "graph.RenderFile <path>" lines.
    Rows RendersSince(size_t mark) const {
        Rows renders;
        for (const std::string& line : rig->TraceFrom(mark))
            if (line.starts_with("graph.RenderFile ")) renders.push_back(line.substr(17));
        return renders;
    }
    void SendToList(UINT message, WPARAM keys, int row) {
        ::SendMessageA(List().Handle(), message, keys, MAKELPARAM(20, row * kRowHeight + kRowHeight / 2));
    }
    void Click(int control_id) {
        HWND button = ::GetDlgItem(Form().Handle(), control_id);
        ASSERT_TRUE(button) << control_id;
        ::SendMessageA(Form().Handle(), WM_COMMAND, MAKEWPARAM(control_id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }
    Rows MessageBoxes() const {
        Rows boxes;
        for (const std::string& call : rig->desktop.calls)
            if (call.starts_with("MessageBoxA")) boxes.push_back(call);
        return boxes;
    }

    std::filesystem::path dir_;
    std::optional<test::AppRig> rig;
};

TEST_F(PlaylistWindowTest, CreationBuildsTheRowsFromTheStartSelectionInAFixedHeightWindow) {
    StartWith({"C:\\media\\a.avi", "C:\\media\\b.avi", "", "C:\\media\\a.avi"});
    EXPECT_EQ(List().Items(), (Rows{"C:\\media\\a.avi", "C:\\media\\b.avi", "", "C:\\media\\a.avi"}));
    EXPECT_EQ(List().ItemIndex(), -1);

    char text[64] = {};
    ::GetClassNameA(Form().Handle(), text, sizeof text);
    EXPECT_STREQ(text, "TForm3");
    ::GetWindowTextA(Form().Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Playlist");
    for (auto [id, caption] : {std::pair{kIdAddToList, "Add to List"}, std::pair{kIdDeleteFromList, "Delete from List"},
                               std::pair{kIdSaveList, "Save List"}}) {
        ::GetWindowTextA(::GetDlgItem(Form().Handle(), id), text, sizeof text);
        EXPECT_STREQ(text, caption);
    }
    RECT bounds{};
    ::GetWindowRect(Form().Handle(), &bounds);
    EXPECT_EQ(bounds.right - bounds.left, 385);
    EXPECT_EQ(bounds.bottom - bounds.top, 466);
    EXPECT_EQ(bounds.left, (::GetSystemMetrics(SM_CXSCREEN) - 385) / 2) << "centred";

    MINMAXINFO limits{};
    limits.ptMaxTrackSize = {5000, 5000};
    ::SendMessageA(Form().Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 385);
    EXPECT_EQ(limits.ptMinTrackSize.y, 466);
    EXPECT_EQ(limits.ptMaxTrackSize.y, 466);
    EXPECT_EQ(limits.ptMaxTrackSize.x, 5000) << "the width may grow";

    RECT list{};
    ::GetWindowRect(List().Handle(), &list);
    const int list_width = list.right - list.left;
    EXPECT_EQ(list_width, 361);
    ::SetWindowPos(Form().Handle(), nullptr, 0, 0, 385 + 115, 466, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::GetWindowRect(List().Handle(), &list);
    EXPECT_EQ(list.right - list.left, list_width + 115) << "the list is anchored to the right edge";
}

TEST_F(PlaylistWindowTest, ShowingSelectsTheFirstRowOfTheCurrentItemIgnoringCase) {
    StartWith({"C:\\media\\a.avi", "C:\\MEDIA\\B.AVI", "C:\\media\\b.avi"});
    struct Case {
        const char* current;
        int selected;
    };
    for (const Case& c : {Case{"c:\\media\\b.avi", 1}, Case{"C:\\media\\a.avi", 0}, Case{"C:\\media\\z.avi", -1}}) {
        CurrentFile = c.current;
        List().SetItemIndex(2);
        Form().Show();
        EXPECT_EQ(List().ItemIndex(), c.selected) << c.current;
        Form().Hide();
    }
}

TEST_F(PlaylistWindowTest, DeletingARowThatIsNotPlayingSelectsTheRowInItsPlaceAndPlaybackGoesOn) {
    struct Case {
        const char* playing;
        int deleted;
        Rows rows_after;
        int selected_after;
    };
    const Case cases[] = {
        {"B", 2, {"A", "B"}, 0},       // the last row: back to row 0
        {"B", 0, {"B", "C"}, 0},       // the row that moved up
        {"b", 1, {"A", "C"}, 1},       // differs from the playing item in case only
    };
    StartWith({"A", "B", "C"});
    for (const Case& c : cases) {
        List().SetItems({"A", "B", "C"});
        CurrentFile = c.playing;
        List().SetItemIndex(c.deleted);
        const size_t mark = TraceMark();

        Click(kIdDeleteFromList);

        EXPECT_EQ(List().Items(), c.rows_after) << c.deleted;
        EXPECT_EQ(List().ItemIndex(), c.selected_after) << c.deleted;
        EXPECT_EQ(rig->TraceFrom(mark), Rows{}) << "the graph is not touched";
        EXPECT_EQ(CurrentFile, c.playing);
    }
}

TEST_F(PlaylistWindowTest, DeletingThePlayingRowPlaysRowZeroFromItsStart) {
    StartWith({"A", "B", "C"});
    ASSERT_EQ(CurrentFile, "A");
    List().SetItemIndex(0);
    const size_t mark = TraceMark();

    Click(kIdDeleteFromList);

    EXPECT_EQ(List().Items(), (Rows{"B", "C"}));
    EXPECT_EQ(List().ItemIndex(), 0);
    EXPECT_EQ(CurrentFile, "B");
    EXPECT_EQ(RendersSince(mark), Rows{"B"});
    EXPECT_TRUE(rig->form1->mmtimer1.Enabled());
}

TEST_F(PlaylistWindowTest, DeleteDoesNothingToTheLastRowOrWithoutASelection) {
    StartWith({"A"});
    List().SetItemIndex(0);
    const size_t mark = TraceMark();
    Click(kIdDeleteFromList);
    EXPECT_EQ(List().Items(), Rows{"A"});

    List().SetItems({"A", "B"});
    Click(kIdDeleteFromList);
    EXPECT_EQ(List().Items(), (Rows{"A", "B"})) << "no row selected";
    EXPECT_EQ(rig->TraceFrom(mark), Rows{});
}

TEST_F(PlaylistWindowTest, PlayingARowSeeksTheOldItemToItsEndThenStartsTheRowFromItsBeginning) {
    StartWith({"C:\\media\\a.avi", "C:\\media\\b.avi"});
    // The user left the position slider beyond the next item's 75 tenths of a second.
    rig->form2->TrackBar1.SetMax(600);
    rig->form2->TrackBar1.SetPosition(500);
    rig->graph.duration = 7.5;
    CurDuration = 2.0;
    VolumeLevel = 6000;
    List().SetItemIndex(1);
    const size_t mark = TraceMark();

    SendToList(WM_LBUTTONDOWN, MK_LBUTTON, 1);
    SendToList(WM_LBUTTONUP, 0, 1);
    SendToList(WM_LBUTTONDBLCLK, MK_LBUTTON, 1);
    SendToList(WM_LBUTTONUP, 0, 1);

    // The playback calls, leaving out how the graph is rebuilt.
    Rows playback;
    for (const std::string& line : rig->TraceFrom(mark)) {
        for (const char* kind : {"position.", "control.", "graph.RenderFile", "audio."})
            if (line.starts_with(kind)) playback.push_back(line);
    }
    EXPECT_EQ(playback, (Rows{"control.Stop",  // stopped, then the outgoing item to its end
                              "position.put_CurrentPosition 2", "control.Stop", "graph.RenderFile C:\\media\\b.avi",
                              "position.put_CurrentPosition 7.5",  // the slider's clamp seeks to the end
                              "position.put_CurrentPosition 0",    // so the new item is rewound
                              "control.Run", "audio.put_Volume -4000"}));

    EXPECT_EQ(CurrentFile, "C:\\media\\b.avi");
    EXPECT_EQ(CurDuration, 7.5);
    EXPECT_EQ(rig->form2->TrackBar1.Max(), 75);
    EXPECT_EQ(rig->form2->movielbl.Caption(), TitleText("C:\\media\\b.avi"));
    EXPECT_EQ(rig->form4->ListBox1.Items(), rig->graph.FilterNames()) << "the filters window follows";
    EXPECT_TRUE(rig->form1->mmtimer1.Enabled());
    EXPECT_EQ(List().Items(), (Rows{"C:\\media\\a.avi", "C:\\media\\b.avi"})) << "the double click moved nothing";
}

TEST_F(PlaylistWindowTest, PlayingWithNoRowSelectedDoesNothing) {
    StartWith({"A", "B"});
    const size_t mark = TraceMark();
    Form().ListBox1DblClick();
    EXPECT_EQ(rig->TraceFrom(mark), Rows{});
    EXPECT_EQ(CurrentFile, "A");
}

TEST_F(PlaylistWindowTest, DraggingMovesTheRowToWhereTheButtonWasReleased) {
    struct Case {
        int from, to;
        Rows expected;
    };
    const Case cases[] = {
        {0, 2, {"B", "C", "A"}},
        {2, 0, {"C", "A", "B"}},
        {1, 1, {"A", "B", "C"}},
    };
    StartWith({"A", "B", "C"});
    for (const Case& c : cases) {
        List().SetItems({"A", "B", "C"});
        SendToList(WM_LBUTTONDOWN, MK_LBUTTON, c.from);
        SendToList(WM_MOUSEMOVE, MK_LBUTTON, c.to);
        SendToList(WM_LBUTTONUP, 0, c.to);
        EXPECT_EQ(List().Items(), c.expected) << c.from << " -> " << c.to;
        EXPECT_EQ(List().ItemIndex(), c.to) << "the moved row stays selected";
    }
}

TEST_F(PlaylistWindowTest, OnlyAPlainLeftButtonDragOnTwoRowsOrMoreMovesARow) {
    StartWith({"A", "B", "C"});
    // The right button selects nothing and moves nothing.
    List().SetItemIndex(0);
    SendToList(WM_RBUTTONDOWN, MK_RBUTTON, 0);
    List().SetItemIndex(2);
    SendToList(WM_RBUTTONUP, 0, 2);
    EXPECT_EQ(List().Items(), (Rows{"A", "B", "C"}));

    // The release that ends a double click is no drop, even when the selection moved since the
    // last plain press (here by the program, as play-next does).
    SendToList(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendToList(WM_LBUTTONUP, 0, 0);
    List().SetItemIndex(2);
    SendToList(WM_LBUTTONDBLCLK, MK_LBUTTON, 2);
    SendToList(WM_LBUTTONUP, 0, 2);
    EXPECT_EQ(List().Items(), (Rows{"A", "B", "C"}));
    EXPECT_EQ(CurrentFile, "C") << "the double click played its row";

    List().SetItems({"A"});
    SendToList(WM_LBUTTONDOWN, MK_LBUTTON, 0);
    SendToList(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(List().Items(), Rows{"A"});
}

TEST_F(PlaylistWindowTest, AddToListAppendsTheSelectionWithAPlaylistFilesEntriesAfterTheRows) {
    StartWith({"A", "B"});
    WriteBytes("more.wcl", "x\r\ny\r\n");
    const std::string media = PathOf("m.avi");
    rig->dialogs.open_answers.push_back(Rows{PathOf("more.wcl"), media});
    List().SetItemIndex(1);
    const size_t mark = TraceMark();

    Click(kIdAddToList);

    EXPECT_EQ(List().Items(), (Rows{"A", "B", "x", "y", media}));
    EXPECT_EQ(List().ItemIndex(), 1) << "the selection stays";
    EXPECT_EQ(rig->form1->OpenDialog1.Files, (Rows{PathOf("more.wcl"), media}));
    ASSERT_EQ(rig->dialogs.open_requests.size(), 1u);
    EXPECT_EQ(rig->dialogs.open_requests[0].owner, Form().Handle());
    EXPECT_NE(rig->dialogs.open_requests[0].filter.find("Wallcine playlist (*.wcl)"), std::string::npos);
    EXPECT_EQ(rig->TraceFrom(mark), Rows{}) << "playback is not touched";
    EXPECT_EQ(CurrentFile, "A");

    rig->dialogs.open_answers.push_back(std::nullopt);
    Click(kIdAddToList);
    EXPECT_EQ(List().Count(), 5) << "cancelled";
}

// The unreadable playlist costs only its own rows: what the selection names around it is listed.
TEST_F(PlaylistWindowTest, AddToListReportsAPlaylistFileThatCannotBeReadAndListsTheRestOfTheSelection) {
    StartWith({"A"});
    rig->dialogs.open_answers.push_back(Rows{PathOf("m.avi"), PathOf("missing.wcl"), PathOf("n.avi")});

    Click(kIdAddToList);

    EXPECT_EQ(List().Items(), (Rows{"A", PathOf("m.avi"), PathOf("n.avi")}));
    const Rows boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Cannot open file " + PathOf("missing.wcl")), std::string::npos) << boxes[0];
}

TEST_F(PlaylistWindowTest, SaveListWritesEveryRowFollowedByCrLf) {
    StartWith({"A", "", "B"});
    rig->dialogs.save_answers.push_back(Rows{PathOf("saved.wcl")});

    Click(kIdSaveList);

    EXPECT_EQ(ReadBytes("saved.wcl"), "A\r\n\r\nB\r\n");
    ASSERT_EQ(rig->dialogs.save_requests.size(), 1u);
    const auto& request = rig->dialogs.save_requests[0];
    EXPECT_EQ(request.proposed_file_name, "Movies1.wcl");
    EXPECT_EQ(request.default_extension, "wcl");
    EXPECT_EQ(request.filter, std::string("Wallcine playlist (*.wcl)\0*.wcl\0", 32));

    rig->dialogs.save_answers.push_back(std::nullopt);
    Click(kIdSaveList);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator{}), 2) << "start.wcl and saved.wcl only";
}

TEST_F(PlaylistWindowTest, SaveListReportsAFileThatCannotBeCreated) {
    StartWith({"A"});
    const std::string unwritable = PathOf("no such directory\\list.wcl");
    rig->dialogs.save_answers.push_back(Rows{unwritable});

    Click(kIdSaveList);

    const Rows boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Cannot create file " + unwritable), std::string::npos) << boxes[0];
}

}  // namespace
}  // namespace wallcine::app
