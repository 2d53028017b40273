// The file dialogs through stub "zenity" and "kdialog" scripts put first on PATH: each call
// writes its arguments down and answers what the test scripted (the printed path and the exit
// status). What reaches the program (no shell, the filters, the proposed name), what comes
// back (the chosen path, the folder remembered, the name-length box) and the child's end.
#include "QKFramework/System/FileDialog.h"

#include "QKFramework/Platform/Window/ZenityFileChooser.h"
#include "QKFramework/Utilities/Storage/Paths.h"

#include "tests/support/Recorder.h"
#include "tests/support/Render/RecordingMessageService.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;
using Lines = std::vector<std::string>;

// Writes its arguments as "[argument]" lines, then "--end", into $STUB_LOG. A --question
// exits with $STUB_CONFIRM; otherwise it writes its pid to $STUB_PID when set, waits until
// $STUB_WAIT_FOR exists when set, prints $STUB_ANSWER and exits with $STUB_EXIT.
const char* const kStub = R"(#!/bin/sh
for argument in "$@"; do printf '[%s]\n' "$argument" >> "$STUB_LOG"; done
printf -- '--end\n' >> "$STUB_LOG"
if [ "$1" = "--question" ] || [ "$1" = "--yesno" ]; then exit "${STUB_CONFIRM:-1}"; fi
if [ -n "$STUB_PID" ]; then printf '%s' "$$" > "$STUB_PID"; fi
if [ -n "$STUB_WAIT_FOR" ]; then while [ ! -e "$STUB_WAIT_FOR" ]; do sleep 0.01; done; fi
printf '%s' "$STUB_ANSWER"
exit "${STUB_EXIT:-0}"
)";

const WString kFilter(u"Presets (*.vedidu)|*.vedidu|All Files (*.*)|*.*");

class FileDialogTest : public ::testing::Test
{
protected:
    FileDialogTest()
    {
        WriteStub("bin/zenity");
        ::mkdir((folder / "presets").c_str(), 0700);
        folder.WriteFile("presets/a.vedidu", "a");
        folder.WriteFile("presets/b.vedidu", "b");
    }
    ~FileDialogTest() override { LFileDialog::SetWaitPump(nullptr); }

    void WriteStub(const std::string& name)
    {
        ::mkdir(GetFolderOf(folder / name).c_str(), 0700);
        folder.WriteFile(name, kStub);
        ::chmod((folder / name).c_str(), 0755);
    }
    static std::string GetFolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

    void Answer(const std::string& output, int status = 0)
    {
        answer.emplace("STUB_ANSWER", output.c_str());
        exitStatus.emplace("STUB_EXIT", std::to_string(status).c_str());
    }
    // The calls written down, each as its argument lines.
    std::vector<Lines> Calls() const
    {
        std::vector<Lines> calls(1);
        std::ifstream in(folder / "log");
        for (std::string line; std::getline(in, line);)
        {
            if (line == "--end")
                calls.emplace_back();
            else
                calls.back().push_back(line);
        }
        calls.pop_back();
        return calls;
    }
    std::string Presets() const { return folder / "presets"; }

    TempFolder folder;
    ScopedEnvironment path{"PATH", (folder.Path() + "/bin:/usr/bin:/bin").c_str()};
    ScopedEnvironment log{"STUB_LOG", (folder / "log").c_str()};
    std::optional<ScopedEnvironment> answer;
    std::optional<ScopedEnvironment> exitStatus;
    RecordingMessageService messages;
};

TEST_F(FileDialogTest, OpenRunsZenityWithTheFiltersAndRemembersTheFolder)
{
    RCPtr<LFileDialog> dialog(new LFileDialog(WString(Presets().c_str())));
    Answer(Presets() + "/a.vedidu\n");
    ASSERT_EQ(dialog->ShowOpenDialog(kFilter, WString(u"vedidu"), WString(u"Open Preset"), false), QK_OK);

    const Lines expected{"[--file-selection]",
                         "[--title=Open Preset]",
                         "[--filename=" + Presets() + "/]",
                         "[--file-filter=Presets (*.vedidu) | *.vedidu]",
                         "[--file-filter=All Files (*.*) | *]"};
    EXPECT_EQ(Calls(), std::vector<Lines>{expected});
    WString name;
    dialog->GetFileName(name);
    EXPECT_EQ(Narrow(name), Presets() + "/a.vedidu");

    // A file chosen elsewhere moves the folder; a cancel keeps it.
    ::mkdir((folder / "other").c_str(), 0700);
    folder.WriteFile("other/c.vedidu", "c");
    Answer(folder / "other/c.vedidu");
    ASSERT_EQ(dialog->ShowOpenDialog(kFilter, WString(), WString(), false), QK_OK);
    EXPECT_EQ(Narrow(dialog->GetFolder()), folder / "other");
    Answer("", 1);
    EXPECT_EQ(dialog->ShowOpenDialog(kFilter, WString(), WString(), false), QK_E_FAIL);
    EXPECT_EQ(Narrow(dialog->GetFolder()), folder / "other");
    const std::vector<Lines> calls = Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2][1], "[--filename=" + folder.Path() + "/other/]");
}

TEST_F(FileDialogTest, FilterTextBecomesTheChoosersFilters)
{
    const struct
    {
        const char16_t* filter;
        const char* expected;
    } cases[] = {
        {u"Presets|*.vedidu", "Presets:*.vedidu,;"},
        {u"Both|*.vedidu;*.orbela|All|*.*", "Both:*.vedidu,*.orbela,;All:*,;"},
        {u"Presets|*.vedidu|", "Presets:*.vedidu,;"},
        {u"Presets|*.vedidu|Lonely", "Presets:*.vedidu,;"},
        {u"First|*.a||Second|*.b", "First:*.a,;"},
        {u"", ""},
        {u"Only a description", ""},
    };
    for (const auto& c : cases)
    {
        std::string text;
        for (const FileChooserFilter& filter : LFileDialog::ParseFilter(WString(c.filter)))
        {
            text += Narrow(filter.description) + ":";
            for (const WString& pattern : filter.patterns)
                text += Narrow(pattern) + ",";
            text += ";";
        }
        EXPECT_EQ(text, c.expected) << Narrow(WString(c.filter));
    }
}

TEST_F(FileDialogTest, SaveProposesUntitledAndAsksBeforeReplacing)
{
    RCPtr<LFileDialog> dialog(new LFileDialog(WString(Presets().c_str())));
    Answer(Presets() + "/new.vedidu\n");
    ASSERT_EQ(dialog->ShowSaveDialog(kFilter, WString(u"vedidu"), WString(u"Save Preset"), 16), QK_OK);
    const std::vector<Lines> calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], (Lines{"[--file-selection]", "[--title=Save Preset]", "[--save]", "[--confirm-overwrite]",
                               "[--filename=" + Presets() + "/Untitled]",
                               "[--file-filter=Presets (*.vedidu) | *.vedidu]",
                               "[--file-filter=All Files (*.*) | *]"}));
    WString name;
    dialog->GetFileName(name);
    EXPECT_EQ(Narrow(name), Presets() + "/new.vedidu");
}

TEST_F(FileDialogTest, SaveNameLengthAgainstTheMaximum)
{
    const struct
    {
        const char* name;
        std::int32_t maximum;
        QKRESULT result;
        bool box;
    } cases[] = {
        {"sixteen-chars.ab", 16, QK_OK, false},
        {"seventeen-chars.a", 16, QK_E_FAIL, true},
        {"seventeen-chars.a", -1, QK_OK, false},
        {"a-much-longer-name-than-any-limit.vedidu", -1, QK_OK, false},
    };
    for (const auto& c : cases)
    {
        messages.messages.clear();
        RCPtr<LFileDialog> dialog(new LFileDialog(WString((folder / "start").c_str())));
        Answer(Presets() + "/" + c.name);
        EXPECT_EQ(dialog->ShowSaveDialog(kFilter, WString(), WString(), c.maximum), c.result) << c.name;
        if (c.box)
        {
            ASSERT_EQ(messages.messages.size(), 1u);
            EXPECT_EQ(messages.messages[0].caption, u"File Save Error");
            EXPECT_EQ(messages.messages[0].text, u"The file length is larger than the maximum limit of 16 characters ");
            EXPECT_EQ(messages.messages[0].icon, 0x10u);
            EXPECT_EQ(Narrow(dialog->GetFolder()), folder / "start");
        }
        else
        {
            EXPECT_TRUE(messages.messages.empty()) << c.name;
            EXPECT_EQ(Narrow(dialog->GetFolder()), Presets()) << c.name;
        }
    }
}

TEST_F(FileDialogTest, MaximumZeroIsRefusedWithoutADialog)
{
    RCPtr<LFileDialog> dialog(new LFileDialog(WString(Presets().c_str())));
    EXPECT_EQ(dialog->ShowSaveDialog(kFilter, WString(), WString(), 0), QK_E_INVALIDARG);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(FileDialogTest, DefaultExtensionIsAddedAndAReplacedFileConfirmed)
{
    RCPtr<LFileDialog> dialog(new LFileDialog(WString(Presets().c_str())));
    Answer(Presets() + "/fresh");
    ASSERT_EQ(dialog->ShowSaveDialog(kFilter, WString(u"vedidu"), WString(), -1), QK_OK);
    WString name;
    dialog->GetFileName(name);
    EXPECT_EQ(Narrow(name), Presets() + "/fresh.vedidu");
    EXPECT_EQ(Calls().size(), 1u);

    // "a" becomes the existing "a.vedidu", which the dialog never asked about.
    Answer(Presets() + "/a");
    {
        ScopedEnvironment no("STUB_CONFIRM", "1");
        EXPECT_EQ(dialog->ShowSaveDialog(kFilter, WString(u"vedidu"), WString(), -1), QK_E_FAIL);
    }
    const std::vector<Lines> calls = Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2], (Lines{"[--question]", "[--no-markup]",
                               "[--text=a.vedidu already exists. Do you want to replace it?]"}));
    {
        ScopedEnvironment yes("STUB_CONFIRM", "0");
        EXPECT_EQ(dialog->ShowSaveDialog(kFilter, WString(u"vedidu"), WString(), -1), QK_OK);
    }
    dialog->GetFileName(name);
    EXPECT_EQ(Narrow(name), Presets() + "/a.vedidu");
}

// Names that are not UTF-8, as another program leaves them, come back as their own bytes: a
// Latin-1 file opens, a save in a Latin-1 folder or under the bytes FF FE gets that name, and
// the next dialog starts in that folder.
TEST_F(FileDialogTest, NamesThatAreNotUtf8ComeBackByteForByte)
{
    folder.WriteFile("presets/caf\xE9.vedidu", "c");
    ::mkdir((folder / "f\xE9").c_str(), 0700);

    RCPtr<LFileDialog> dialog(new LFileDialog(WString(Presets().c_str())));
    Answer(Presets() + "/caf\xE9.vedidu\n");
    ASSERT_EQ(dialog->ShowOpenDialog(kFilter, WString(u"vedidu"), WString(), false), QK_OK);
    WString name;
    dialog->GetFileName(name);
    EXPECT_EQ(ToSystemPath(name), Presets() + "/caf\xE9.vedidu");
    EXPECT_TRUE(FileExists(name));

    const struct
    {
        std::string chosen;
        std::string path;
    } saves[] = {
        {folder / "f\xE9/new", folder / "f\xE9/new.vedidu"},
        {Presets() + "/\xFF\xFE", Presets() + "/\xFF\xFE.vedidu"},
    };
    for (const auto& save : saves)
    {
        Answer(save.chosen + "\n");
        ASSERT_EQ(dialog->ShowSaveDialog(kFilter, WString(u"vedidu"), WString(), -1), QK_OK) << save.chosen;
        dialog->GetFileName(name);
        EXPECT_EQ(ToSystemPath(name), save.path);
    }
    const std::vector<Lines> calls = Calls();
    ASSERT_EQ(calls.size(), 3u) << "nothing there to ask about";
    EXPECT_EQ(calls[2][3], "[--filename=" + folder.Path() + "/f\xE9/Untitled]") << "starts in the Latin-1 folder";
}

// The question names the very file a yes replaces, shown with U+FFFD for a byte that is not
// UTF-8, and as plain text whatever the name holds; the unrelated "caf.vedidu" that a cut name
// would have hit is never named.
TEST_F(FileDialogTest, TheOverwriteQuestionNamesTheFileAYesReplaces)
{
    folder.WriteFile("presets/caf\xE9.vedidu", "latin-1");
    folder.WriteFile("presets/caf.vedidu", "unrelated");
    folder.WriteFile("presets/<b> & co.vedidu", "markup");
    const struct
    {
        std::string chosen;
        std::string asked;
        std::string path;
    } cases[] = {
        {Presets() + "/caf\xE9", "caf\xEF\xBF\xBD.vedidu", Presets() + "/caf\xE9.vedidu"},
        {Presets() + "/<b> & co", "<b> & co.vedidu", Presets() + "/<b> & co.vedidu"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.chosen);
        ::unlink((folder / "log").c_str());
        RCPtr<LFileDialog> dialog(new LFileDialog(WString(Presets().c_str())));
        Answer(c.chosen);
        {
            ScopedEnvironment no("STUB_CONFIRM", "1");
            EXPECT_EQ(dialog->ShowSaveDialog(kFilter, WString(u"vedidu"), WString(), -1), QK_E_FAIL);
        }
        {
            ScopedEnvironment yes("STUB_CONFIRM", "0");
            ASSERT_EQ(dialog->ShowSaveDialog(kFilter, WString(u"vedidu"), WString(), -1), QK_OK);
        }
        const std::vector<Lines> calls = Calls();
        ASSERT_EQ(calls.size(), 4u);
        const Lines question{"[--question]", "[--no-markup]",
                             "[--text=" + c.asked + " already exists. Do you want to replace it?]"};
        EXPECT_EQ(calls[1], question);
        EXPECT_EQ(calls[3], question);
        WString name;
        dialog->GetFileName(name);
        EXPECT_EQ(ToSystemPath(name), c.path);
    }
}

// zenity prints "(null)" for a chosen name that is not UTF-8. That is no path: nothing may be
// opened or saved by it (a save would have gone to "(null).vedidu" in the current folder). The
// dialog answers that the name cannot be kept, asks nothing more and keeps its folder; the
// caller tells the person.
TEST_F(FileDialogTest, ANameTheDialogCannotPrintIsRefused)
{
    const struct
    {
        const char* what;
        std::string output;
        bool save;
        bool multiple;
    } cases[] = {
        {"an open", "(null)\n", false, false},
        {"a save", "(null)\n", true, false},
        {"a relative path", "caf.vedidu\n", true, false},
        {"one of several", Presets() + "/a.vedidu\n(null)\n", false, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        ::unlink((folder / "log").c_str());
        messages.messages.clear();
        RCPtr<LFileDialog> dialog(new LFileDialog(WString((folder / "start").c_str())));
        Answer(c.output);
        const QKRESULT result = c.save ? dialog->ShowSaveDialog(kFilter, WString(u"vedidu"), WString(), 16)
                                       : dialog->ShowOpenDialog(kFilter, WString(), WString(), c.multiple);
        EXPECT_EQ(result, QK_E_INVALIDNAME);
        EXPECT_EQ(Calls().size(), 1u) << "no question about a file";
        EXPECT_TRUE(messages.messages.empty());
        EXPECT_EQ(Narrow(dialog->GetFolder()), folder / "start");
        EXPECT_TRUE(dialog->GetSelection().empty());
    }
}

TEST_F(FileDialogTest, FailuresOfTheDialogAreNotChoices)
{
    const struct
    {
        std::string output;
        int status;
    } cases[] = {
        {"", 0},
        {Presets() + "/a.vedidu", 5},
        {Presets() + "/a.vedidu\n" + Presets() + "/b.vedidu", 0},
    };
    for (const auto& c : cases)
    {
        RCPtr<LFileDialog> dialog(new LFileDialog(WString((folder / "start").c_str())));
        Answer(c.output, c.status);
        EXPECT_EQ(dialog->ShowOpenDialog(kFilter, WString(), WString(), false), QK_E_FAIL) << c.output;
        EXPECT_EQ(Narrow(dialog->GetFolder()), folder / "start");
    }
}

// Whatever the chosen path leads to, the caller opens it and tells the person why it cannot:
// the dialog itself fails for none of them.
TEST_F(FileDialogTest, APathChosenToOpenIsHandedOnForTheCallerToRefuse)
{
    ASSERT_EQ(::symlink("nowhere.vedidu", (folder / "presets/dangling.vedidu").c_str()), 0);
    ASSERT_EQ(::symlink("loop-b.vedidu", (folder / "presets/loop-a.vedidu").c_str()), 0);
    ASSERT_EQ(::symlink("loop-a.vedidu", (folder / "presets/loop-b.vedidu").c_str()), 0);
    for (const std::string& path : {Presets(), Presets() + "/missing.vedidu", Presets() + "/dangling.vedidu",
                                   Presets() + "/loop-a.vedidu"})
    {
        RCPtr<LFileDialog> dialog(new LFileDialog(WString((folder / "start").c_str())));
        Answer(path);
        ASSERT_EQ(dialog->ShowOpenDialog(kFilter, WString(), WString(), false), QK_OK) << path;
        WString name;
        dialog->GetFileName(name);
        EXPECT_EQ(Narrow(name), path);
    }
}

TEST_F(FileDialogTest, MultipleSelectionCollectsEveryPath)
{
    RCPtr<LFileDialog> dialog(new LFileDialog(WString()));
    Answer(Presets() + "/a.vedidu\n" + Presets() + "/b.vedidu\n");
    ASSERT_EQ(dialog->ShowOpenDialog(kFilter, WString(), WString(), true), QK_OK);
    const std::vector<Lines> calls = Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], (Lines{"[--file-selection]", "[--multiple]", "[--separator=", "]",
                               "[--file-filter=Presets (*.vedidu) | *.vedidu]", "[--file-filter=All Files (*.*) | *]"}));
    WString name;
    dialog->GetFileName(name);
    EXPECT_EQ(Narrow(name), Presets());
    ASSERT_EQ(dialog->GetSelection().size(), 2u);
    EXPECT_EQ(Narrow(dialog->GetSelection()[1]), Presets() + "/b.vedidu");
}

TEST_F(FileDialogTest, KdialogStandsInWhenZenityIsMissing)
{
    // Only the kdialog stub on PATH: the stub needs nothing but the shell's own commands.
    WriteStub("kde/kdialog");
    ScopedEnvironment only("PATH", (folder.Path() + "/kde").c_str());
    RCPtr<LFileDialog> dialog(new LFileDialog(WString(Presets().c_str())));
    Answer(Presets() + "/b.vedidu\n");
    ASSERT_EQ(dialog->ShowOpenDialog(kFilter, WString(), WString(u"Open"), false), QK_OK);
    EXPECT_EQ(Calls(), (std::vector<Lines>{{"[--title]", "[Open]", "[--getopenfilename]", "[" + Presets() + "/]",
                                            "[Presets (*.vedidu) (*.vedidu)", "All Files (*.*) (*)]"}}));
}

TEST_F(FileDialogTest, NeitherProgramMeansAFailedDialog)
{
    ScopedEnvironment nowhere("PATH", (folder / "empty").c_str());
    RCPtr<LFileDialog> dialog(new LFileDialog(WString(Presets().c_str())));
    EXPECT_EQ(dialog->ShowOpenDialog(kFilter, WString(), WString(), false), QK_E_FAIL);
    EXPECT_EQ(dialog->ShowSaveDialog(kFilter, WString(), WString(), 16), QK_E_FAIL);
}

// The stub finishes only once the pump has run, so the pump ran while the dialog was open.
TEST_F(FileDialogTest, ThePumpRunsWhileTheDialogIsOpen)
{
    ScopedEnvironment wait("STUB_WAIT_FOR", (folder / "painted").c_str());
    int pumps = 0;
    LFileDialog::SetWaitPump(
        [&]
        {
            if (++pumps == 1)
                folder.WriteFile("painted", "");
        });
    RCPtr<LFileDialog> dialog(new LFileDialog(WString(Presets().c_str())));
    Answer(Presets() + "/a.vedidu");
    EXPECT_EQ(dialog->ShowOpenDialog(kFilter, WString(), WString(), false), QK_OK);
    EXPECT_GE(pumps, 1);
}

TEST_F(FileDialogTest, AThrowingPumpEndsTheDialogAndReapsIt)
{
    ScopedEnvironment wait("STUB_WAIT_FOR", (folder / "never").c_str());
    ScopedEnvironment pidFile("STUB_PID", (folder / "pid").c_str());
    LFileDialog::SetWaitPump(
        [&]
        {
            if (!folder.ReadFile("pid").empty())
                throw std::runtime_error("window gone");
        });
    RCPtr<LFileDialog> dialog(new LFileDialog(WString(Presets().c_str())));
    EXPECT_THROW(dialog->ShowOpenDialog(kFilter, WString(), WString(), false), std::runtime_error);
    const pid_t child = std::stoi(folder.ReadFile("pid"));
    EXPECT_EQ(::kill(child, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

} // namespace
} // namespace QK
