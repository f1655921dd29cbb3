// The open and save dialogs against scripted answers: the filter and flags they ask with, the
// paths they take from the system's multiple-selection buffer, cancels, and a selection too
// large for the buffer.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controls/file_dialogs.h"
#include "fakes/scripted_file_dialogs.h"

namespace wallcine::app {
namespace {

using namespace std::string_literals;
using test::ScriptedFileDialogs;
using Paths = std::vector<std::string>;

TEST(DialogFilterTest, BarsBecomeNulsWithADoubleNulEnd) {
    EXPECT_EQ(DialogFilter("Wallcine playlist (*.wcl)|*.wcl"), "Wallcine playlist (*.wcl)\0*.wcl\0\0"s);
    EXPECT_EQ(DialogFilter("a|*.a|b|*.b;*.c"), "a\0*.a\0b\0*.b;*.c\0\0"s);
    EXPECT_EQ(DialogFilter(""), "") << "no filter at all";
}

TEST(SelectedPathsTest, ReadsOnePathOrADirectoryWithNames) {
    struct Case {
        std::string buffer;
        WORD file_offset;
        Paths expected;
    };
    const Case cases[] = {
        {"C:\\media\\a.avi\0\0"s, 9, {"C:\\media\\a.avi"}},
        {"C:\\media\0b.avi\0a.avi\0\0"s, 9, {"C:\\media\\b.avi", "C:\\media\\a.avi"}},
        {"C:\\\0a.avi\0b.mpg\0\0"s, 4, {"C:\\a.avi", "C:\\b.mpg"}},  // a root keeps its one backslash
        {"C:\\a.avi\0\0"s, 3, {"C:\\a.avi"}},
        {"\0\0"s, 0, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SelectedPaths(c.buffer.data(), c.buffer.size(), c.file_offset), c.expected) << c.buffer;
    }
}

TEST(SelectedPathsTest, StopsAtTheBufferEndWithoutATerminator) {
    const char buffer[] = {'C', ':', '\\', 'd', '\0', 'a', 'b'};
    EXPECT_EQ(SelectedPaths(buffer, sizeof buffer, 5), (Paths{"C:\\d\\ab"}));
}

class FileDialogTest : public ::testing::Test {
protected:
    ScriptedFileDialogs dialogs;
    ScopedFileDialogs scope{dialogs};
};

TEST_F(FileDialogTest, OpenTakesEverySelectedFileInTheDialogsOrder) {
    TOpenDialog dialog;
    dialog.Filter = "avi files (*.avi)|*.avi|all files (*.*)|*.*";
    dialogs.open_answers.push_back(Paths{"C:\\media\\b.avi", "C:\\media\\a.avi", "C:\\media\\list.wcl"});

    ASSERT_TRUE(dialog.Execute(nullptr));

    EXPECT_EQ(dialog.Files, (Paths{"C:\\media\\b.avi", "C:\\media\\a.avi", "C:\\media\\list.wcl"}));
    EXPECT_EQ(dialog.FileName, "C:\\media\\b.avi");
    ASSERT_EQ(dialogs.open_requests.size(), 1u);
    const auto& request = dialogs.open_requests[0];
    EXPECT_EQ(request.filter, "avi files (*.avi)\0*.avi\0all files (*.*)\0*.*\0"s);
    EXPECT_EQ(request.filter_index, 1u) << "the first filter is selected";
    const DWORD wanted = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_ENABLESIZING | OFN_EXPLORER;
    EXPECT_EQ(request.flags & wanted, wanted);
    EXPECT_GE(request.buffer_size, 32u * 1024) << "room for many names";
}

TEST_F(FileDialogTest, OpenWithOneFileTakesItsFullPath) {
    TOpenDialog dialog;
    dialogs.open_answers.push_back(Paths{"D:\\clips\\one.mp4"});
    ASSERT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.Files, (Paths{"D:\\clips\\one.mp4"}));
    EXPECT_EQ(dialog.FileName, "D:\\clips\\one.mp4");
}

TEST_F(FileDialogTest, OpenEmptiesTheFilesEvenWhenCancelled) {
    TOpenDialog dialog;
    dialog.Files = {"C:\\old.avi"};
    dialog.FileName = "C:\\old.avi";
    dialogs.open_answers.push_back(std::nullopt);

    EXPECT_FALSE(dialog.Execute(nullptr));

    EXPECT_TRUE(dialog.Files.empty());
    EXPECT_EQ(dialog.FileName, "C:\\old.avi");
}

TEST_F(FileDialogTest, ASelectionTooLargeForTheBufferIsAnErrorNotACancel) {
    Paths many;
    for (int index = 0; index < 2000; ++index)
        many.push_back("C:\\media\\" + std::string(40, 'x') + std::to_string(index) + ".avi");
    TOpenDialog dialog;
    dialog.Files = {"C:\\old.avi"};
    dialogs.open_answers.push_back(many);

    try {
        dialog.Execute(nullptr);
        ADD_FAILURE() << "no error";
    } catch (const EFileDialogError& error) {
        EXPECT_STREQ(error.what(), "Too many files selected. Select fewer files at a time.");
    }
    EXPECT_TRUE(dialog.Files.empty());
}

TEST_F(FileDialogTest, SaveProposesItsNameAndDefaultExtensionAndTakesTheChosenPath) {
    TSaveDialog dialog;
    dialog.Filter = "Wallcine playlist (*.wcl)|*.wcl";
    dialog.DefaultExt = "wcl";
    dialog.FileName = "Movies1.wcl";
    dialogs.save_answers.push_back(Paths{"C:\\lists\\evening.wcl"});

    ASSERT_TRUE(dialog.Execute(nullptr));

    EXPECT_EQ(dialog.FileName, "C:\\lists\\evening.wcl");
    ASSERT_EQ(dialogs.save_requests.size(), 1u);
    const auto& request = dialogs.save_requests[0];
    EXPECT_EQ(request.proposed_file_name, "Movies1.wcl");
    EXPECT_EQ(request.default_extension, "wcl");
    EXPECT_EQ(request.filter, "Wallcine playlist (*.wcl)\0*.wcl\0"s);
    EXPECT_EQ(request.flags & OFN_OVERWRITEPROMPT, 0u) << "an existing file is replaced without asking";
}

TEST_F(FileDialogTest, SaveCancelledKeepsTheProposedName) {
    TSaveDialog dialog;
    dialog.FileName = "Movies1.wcl";
    dialogs.save_answers.push_back(std::nullopt);
    EXPECT_FALSE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.FileName, "Movies1.wcl");
    EXPECT_EQ(dialogs.save_requests.at(0).default_extension, "") << "none was set";
}

TEST_F(FileDialogTest, ADialogShownWithNoAnswerQueuedFailsTheTestAndCancels) {
    TOpenDialog dialog;
    bool confirmed = true;
    EXPECT_NONFATAL_FAILURE(confirmed = dialog.Execute(nullptr), "no answer queued");
    EXPECT_FALSE(confirmed);
}

}  // namespace
}  // namespace wallcine::app
