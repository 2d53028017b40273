// The clipboard over a fake system clipboard: what a paste gets back (the program's own
// object from the cache, another program's text read once, nothing), the guard against
// re-entry, and the edit commands reaching the focus control of the active window.
#include "QKFramework/System/ClipBoard.h"

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/System/SystemClipboard.h"

#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// The desktop's clipboard: another program copies with OtherProgramCopies, the counter moves
// with every change, and every read is counted.
class FakeSystemClipboard final : public ISystemClipboard
{
public:
    std::uint32_t GetSequenceNumber() override { return sequence; }
    bool HasText() override { return hasText; }
    bool HasPrivateObject() override { return privateObject; }
    bool GetText(WString& out) override
    {
        ++reads;
        if (!readable)
            return false;
        out = text;
        return true;
    }
    QKRESULT SetText(const WString& value) override
    {
        if (onEmpty)
            onEmpty();
        if (refuse)
            return QK_E_FAIL;
        Change(true, value, false);
        return QK_OK;
    }
    QKRESULT SetPrivateObject() override
    {
        if (onEmpty)
            onEmpty();
        Change(false, WString(), true);
        return QK_OK;
    }

    void OtherProgramCopies(const char16_t* value) { Change(true, WString(value), false); }
    void OtherProgramCopiesAnImage() { Change(false, WString(), false); }

    std::uint32_t sequence = 0;
    bool hasText = false;
    bool privateObject = false;
    bool readable = true;
    bool refuse = false;
    WString text;
    int reads = 0;
    // Runs when the clipboard is emptied for a new owner, as the loss notice does.
    std::function<void()> onEmpty;

private:
    void Change(bool isText, const WString& value, bool ours)
    {
        ++sequence;
        hasText = isText;
        text = value;
        privateObject = ours;
    }
};

std::string TextOf(const ConstRCPtr<LRefCountedObject>& object)
{
    const auto text = ConstRCPtr<LClipboard::TextObject>::DynamicCast(object);
    return text ? Narrow(*text) : std::string("<not text>");
}

class ClipboardCacheTest : public ::testing::Test
{
protected:
    ConstRCPtr<LRefCountedObject> Paste()
    {
        ConstRCPtr<LRefCountedObject> object;
        EXPECT_EQ(clipboard->GetText(object), QK_OK);
        return object;
    }

    FakeSystemClipboard system;
    RCPtr<LClipboard> clipboard{new LClipboard(&system)};
};

TEST_F(ClipboardCacheTest, OwnCopyComesBackFromTheCacheWithoutReading)
{
    const ConstRCPtr<LRefCountedObject> copied(LClipboard::TextObject::Create(WString(u"Pad 1")));
    ASSERT_EQ(clipboard->SetText(copied), QK_OK);
    EXPECT_EQ(Narrow(system.text), "Pad 1");

    EXPECT_EQ(Paste().Get(), copied.Get());
    EXPECT_EQ(system.reads, 0);
}

TEST_F(ClipboardCacheTest, AnotherProgramsTextIsReadOnceUntilItChanges)
{
    system.OtherProgramCopies(u"from elsewhere");
    const ConstRCPtr<LRefCountedObject> first = Paste();
    EXPECT_EQ(TextOf(first), "from elsewhere");
    EXPECT_EQ(Paste().Get(), first.Get());
    EXPECT_EQ(system.reads, 1);

    system.OtherProgramCopies(u"newer");
    EXPECT_EQ(TextOf(Paste()), "newer");
    EXPECT_EQ(system.reads, 2);
}

// The counter of a fresh desktop session may still be at the value a fresh clipboard object
// starts from; the text that is there must be read all the same.
TEST_F(ClipboardCacheTest, FirstPasteReadsEvenAtSequenceZero)
{
    system.hasText = true;
    system.text = WString(u"already there");
    EXPECT_EQ(TextOf(Paste()), "already there");
}

TEST_F(ClipboardCacheTest, NoTextOnTheClipboardGivesNothingAndACopyStillWorks)
{
    ASSERT_EQ(clipboard->SetText(WString(u"mine")), QK_OK);
    system.OtherProgramCopiesAnImage();
    EXPECT_FALSE(Paste());
    EXPECT_EQ(system.reads, 0);

    ASSERT_EQ(clipboard->SetText(WString(u"again")), QK_OK);
    EXPECT_EQ(TextOf(Paste()), "again");
    EXPECT_EQ(Narrow(clipboard->GetText()), "again");
}

TEST_F(ClipboardCacheTest, AnUnreadableClipboardKeepsTheCachedObject)
{
    ASSERT_EQ(clipboard->SetText(WString(u"kept")), QK_OK);
    system.OtherProgramCopies(u"locked away");
    system.readable = false;
    EXPECT_EQ(TextOf(Paste()), "kept");
    system.readable = true;
    EXPECT_EQ(TextOf(Paste()), "locked away");
}

TEST_F(ClipboardCacheTest, ObjectsThatAreNotTextLiveOnlyInTheCache)
{
    const ConstRCPtr<LRefCountedObject> curve(new LHolder<int>());
    ASSERT_EQ(clipboard->SetText(curve), QK_OK);
    EXPECT_TRUE(system.privateObject);
    EXPECT_FALSE(system.hasText);
    EXPECT_EQ(Paste().Get(), curve.Get());
    EXPECT_EQ(Narrow(clipboard->GetText()), "");

    system.OtherProgramCopies(u"text wins");
    EXPECT_EQ(TextOf(Paste()), "text wins");
}

// Emptying the clipboard tells its last owner, this program, that it lost it; that notice
// calls SetText(null) while the first call is still running and must change nothing.
TEST_F(ClipboardCacheTest, TheLossNoticeDuringACopyIsIgnored)
{
    std::vector<QKRESULT> nested;
    system.onEmpty = [&] { nested.push_back(clipboard->SetText(ConstRCPtr<LRefCountedObject>())); };
    const ConstRCPtr<LRefCountedObject> copied(LClipboard::TextObject::Create(WString(u"x")));
    ASSERT_EQ(clipboard->SetText(copied), QK_OK);
    EXPECT_EQ(nested, std::vector<QKRESULT>{QK_FALSE});
    EXPECT_EQ(Paste().Get(), copied.Get());

    // Outside a copy the notice drops the cache; the clipboard is read again.
    system.onEmpty = nullptr;
    EXPECT_EQ(clipboard->SetText(ConstRCPtr<LRefCountedObject>()), QK_OK);
    system.OtherProgramCopies(u"y");
    EXPECT_EQ(TextOf(Paste()), "y");
}

TEST_F(ClipboardCacheTest, ARefusedCopyFailsAndTheNextOneRuns)
{
    system.refuse = true;
    EXPECT_EQ(clipboard->SetText(WString(u"refused")), QK_E_FAIL);
    system.refuse = false;
    EXPECT_EQ(clipboard->SetText(WString(u"accepted")), QK_OK);
    EXPECT_EQ(Narrow(system.text), "accepted");
}

// Edit commands ---------------------------------------------------------------------------------

const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Input" Name="top" XSizeAbs="400" YSizeAbs="300">
    <SubControl Class="Test.Edit" Name="box" XPositionAbs="10" YPositionAbs="10" XSizeAbs="100" YSizeAbs="20"/>
    <SubControl Class="Test.Input" Name="plain" XPositionAbs="10" YPositionAbs="40" XSizeAbs="100" YSizeAbs="20"/>
  </SubControl>
</Skin>)";

// A text box as the clipboard sees it: a command target that takes the edits in accepts.
class EditProbe : public InputProbe
{
public:
    EditProbe(LControl* parent, const WString& name) : InputProbe(parent, name) { commandTarget = true; }

    bool HandleClipboardData(std::int32_t kind) override { return accepts.find(char('0' + kind)) != std::string::npos; }
    QKRESULT PerformEdit(std::int32_t kind) override
    {
        Log("PerformEdit(" + std::to_string(kind) + ")");
        return QK_OK;
    }

    std::string accepts = "0123";
};

class ClipboardEditTest : public ::testing::Test
{
protected:
    ClipboardEditTest() : harness(kTree)
    {
        harness.Factory().RegisterControlClass(WString(u"Test.Edit"), &CreateAs<EditProbe>);
    }
    void SetUp() override
    {
        ASSERT_TRUE(harness.SetRoot(u"top"));
        harness.App().activeRootWindow = harness.Root().Get();
        ASSERT_EQ(clipboard->Initialize(), QK_OK);
        EXPECT_TRUE(clipboard->IsInitialized());
    }
    void TearDown() override { harness.App().activeRootWindow = nullptr; }

    EditProbe& Box() { return static_cast<EditProbe&>(*harness.Find("box")); }
    void Post(const char16_t* nid)
    {
        GetDefaultNotificationCenter()->PostNotification(LNotification::Create(nid, nullptr));
        ProbeLog::Clear();
        harness.Loop().RunIdlePeriod();
    }
    std::vector<std::string> Edits() const
    {
        std::vector<std::string> edits;
        for (const std::string& line : ProbeLog::Lines())
            if (line.find("PerformEdit") != std::string::npos)
                edits.push_back(line);
        return edits;
    }

    WindowHarness harness;
    FakeSystemClipboard system;
    RCPtr<LClipboard> clipboard{new LClipboard(&system)};
};

TEST_F(ClipboardEditTest, EachCommandRunsItsEditOnTheFocusControlInTheNextIdlePass)
{
    Box().SetFocus(true);
    const struct
    {
        const char16_t* nid;
        const char* edit;
    } cases[] = {
        {u"NID_EDIT_CUT_REQ", "box:PerformEdit(1)"},
        {u"NID_EDIT_COPY_REQ", "box:PerformEdit(2)"},
        {u"NID_EDIT_PASTE_REQ", "box:PerformEdit(3)"},
        {u"NID_EDIT_DELETE_REQ", "box:PerformEdit(0)"},
    };
    for (const auto& c : cases)
    {
        Post(c.nid);
        EXPECT_EQ(Edits(), std::vector<std::string>{c.edit}) << Narrow(WString(c.nid));
    }
}

TEST_F(ClipboardEditTest, NoEditWithoutAWindowAFocusOrATargetThatTakesIt)
{
    EXPECT_EQ(clipboard->PerformEdit(LClipboard::kEditCopy), QK_FALSE);
    EXPECT_FALSE(clipboard->CanPerformEdit(LClipboard::kEditCopy));

    Box().SetFocus(true);
    Box().accepts = "2";
    EXPECT_TRUE(clipboard->CanPerformEdit(LClipboard::kEditCopy));
    EXPECT_FALSE(clipboard->CanPerformEdit(LClipboard::kEditPaste));
    ProbeLog::Clear();
    EXPECT_EQ(clipboard->PerformEdit(LClipboard::kEditPaste), QK_FALSE);
    EXPECT_TRUE(Edits().empty());

    // A focus control that is no command target and has none above it.
    harness.Find("plain")->SetFocus(true);
    EXPECT_EQ(clipboard->PerformEdit(LClipboard::kEditCopy), QK_FALSE);
    EXPECT_FALSE(clipboard->CanPerformEdit(LClipboard::kEditCopy));

    Box().SetFocus(true);
    harness.App().activeRootWindow = nullptr;
    EXPECT_EQ(clipboard->PerformEdit(LClipboard::kEditCopy), QK_FALSE);
    EXPECT_TRUE(Edits().empty());
}

TEST_F(ClipboardEditTest, ReleasedClipboardHearsNoMoreCommands)
{
    Box().SetFocus(true);
    clipboard = nullptr;
    Post(u"NID_EDIT_COPY_REQ");
    EXPECT_TRUE(Edits().empty());
}

} // namespace
} // namespace QK
