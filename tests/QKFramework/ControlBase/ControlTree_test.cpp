// The control object: the child list and its orders, ownership and teardown, closing and
// queued removal, the value and its range, and the base defaults.
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/MenuDescriptor.h"
#include "QKFramework/ControlBase/MenuItemUpdater.h"
#include "QKFramework/ObjectBase/Exception.h"

#include "tests/support/UI/ControlHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

// A probe built by hand: constructed under parent, with its own layout.
RCPtr<ProbeControl> MakeProbe(LControl* parent, const char16_t* name, std::int32_t tabStop = 0,
                              bool clipToParent = true, std::int32_t zOrder = 0)
{
    RCPtr<LControlDescriptor> descriptor(new LControlDescriptor(WString(u"Test.Probe"), WString(name)));
    descriptor->Layout->TabStop = tabStop;
    descriptor->Layout->ClipToParent = clipToParent;
    descriptor->Layout->ZOrder = zOrder;
    RCPtr<ProbeControl> control(new ProbeControl(parent, WString(name)));
    control->CreateFromDescriptor(descriptor.Get());
    control->Initialize();
    control->SetCreated();
    return control;
}

std::vector<std::string> Names(LControl& control, std::int32_t order)
{
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < control.GetChildren().GetCount(); ++i)
        names.push_back(Narrow(control.GetChildren().GetAt(i, order)->GetName()));
    return names;
}

std::string ErrorText(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (const std::exception& error)
    {
        return error.what();
    }
    return "<no error>";
}

class ControlTree : public ::testing::Test
{
protected:
    ControlHarness harness{""};
};

TEST_F(ControlTree, NamesAreUniqueAndARefusedChildStaysWithItsParent)
{
    const auto top = MakeProbe(nullptr, u"top");
    const auto other = MakeProbe(nullptr, u"other");
    const auto first = MakeProbe(top.Get(), u"item");
    const auto second = MakeProbe(top.Get(), u"item");
    EXPECT_EQ(top->GetChildren().GetCount(), 1u);
    EXPECT_EQ(second->GetParent(), nullptr);

    const auto moving = MakeProbe(other.Get(), u"item");
    EXPECT_EQ(LControl::SetParent(moving.Get(), top.Get()), QK_E_FAIL);
    EXPECT_EQ(moving->GetParent(), other.Get());
    EXPECT_EQ(other->FindChild(WString(u"item")).Get(), moving.Get());
    EXPECT_EQ(top->FindChild(WString(u"item")).Get(), first.Get());
    EXPECT_EQ(LControl::SetParent(moving.Get(), other.Get()), QK_FALSE);

    EXPECT_FALSE(top->FindChild(WString(u"Item")));
}

TEST_F(ControlTree, IndexErrorsNameTheirVariant)
{
    const auto top = MakeProbe(nullptr, u"top");
    MakeProbe(top.Get(), u"a");
    const LControl::ChildControlList& readOnly = top->GetChildren();
    LControl::ChildControlList& modifiable = top->GetChildren();
    const std::string prefix = "Runtime Error : QK::LControl::ChildControlList::GetAt : ControlBase\\Control : Line ";
    EXPECT_EQ(ErrorText([&] { readOnly.GetAt(1); }), prefix + "3356");
    EXPECT_EQ(ErrorText([&] { modifiable.GetAt(1); }), prefix + "3384");
    EXPECT_EQ(ErrorText([&] { readOnly.GetAt(0, 3); }), prefix + "3376");
    EXPECT_EQ(ErrorText([&] { modifiable.GetAt(0, -1); }), prefix + "3404");
}

TEST_F(ControlTree, TabAndZOrdersFollowTheLayoutAndAreSortedAgainAfterAChange)
{
    const auto top = MakeProbe(nullptr, u"top");
    MakeProbe(top.Get(), u"a", 2, true, 5);
    MakeProbe(top.Get(), u"b", 1, false, 0);
    const auto c = MakeProbe(top.Get(), u"c", 2, true, 1);
    const auto d = MakeProbe(top.Get(), u"d", 0, true, 1);
    d->GetLayoutDescriptor()->XIsDocked = true;
    top->GetChildren().IncrementGeneration();

    EXPECT_EQ(Names(*top, 2), (std::vector<std::string>{"d", "b", "a", "c"}));
    // Clipped first, then fewer docked axes, then Z_Order, then insertion.
    EXPECT_EQ(Names(*top, 1), (std::vector<std::string>{"c", "a", "d", "b"}));

    // Without a new generation the sorted arrays stay as they are.
    c->GetLayoutDescriptor()->TabStop = -1;
    EXPECT_EQ(Names(*top, 2), (std::vector<std::string>{"d", "b", "a", "c"}));
    top->GetChildren().IncrementGeneration();
    EXPECT_EQ(Names(*top, 2), (std::vector<std::string>{"c", "d", "b", "a"}));
}

TEST_F(ControlTree, UnclippedCountsReachEveryAncestorAndFollowAMove)
{
    const auto top = MakeProbe(nullptr, u"top");
    const auto middle = MakeProbe(top.Get(), u"middle");
    const auto lower = MakeProbe(middle.Get(), u"lower");
    const auto deep = MakeProbe(lower.Get(), u"deep");

    EXPECT_FALSE(deep->SetClipToParent(false));
    EXPECT_FALSE(deep->SetClipToParent(false));
    EXPECT_EQ(lower->GetUnclippedCount(), 1);
    EXPECT_EQ(middle->GetUnclippedCount(), 1);
    EXPECT_EQ(top->GetUnclippedCount(), 1);

    // Moving lower (one unclipped below it) takes its unit from the old line and adds it to
    // the new one.
    const auto side = MakeProbe(top.Get(), u"side");
    EXPECT_EQ(LControl::SetParent(lower.Get(), side.Get()), QK_OK);
    EXPECT_EQ(middle->GetUnclippedCount(), 0);
    EXPECT_EQ(side->GetUnclippedCount(), 1);
    EXPECT_EQ(top->GetUnclippedCount(), 1);

    EXPECT_TRUE(deep->SetClipToParent(true));
    EXPECT_EQ(lower->GetUnclippedCount(), 0);
    EXPECT_EQ(side->GetUnclippedCount(), 0);
    EXPECT_EQ(top->GetUnclippedCount(), 0);
}

TEST_F(ControlTree, RemoveChildHidesAtOnceAndTheIdlePassClosesIt)
{
    const RCPtr<LControl> top = MakeProbe(nullptr, u"top");
    ASSERT_EQ(top->SetRootWindow(harness.Window().Get()), QK_OK);
    const auto child = MakeProbe(top.Get(), u"child");
    const auto sibling = MakeProbe(top.Get(), u"sibling");
    SetBounds(*top, 0, 0, 100, 100);
    SetBounds(*child, 0, 0, 10, 10);
    EXPECT_TRUE(child->IsVisible(true));

    EXPECT_EQ(sibling->RemoveChild(child.Get()), QK_E_INVALIDARG);
    ProbeLog::Clear();
    EXPECT_EQ(top->RemoveChild(child.Get()), QK_OK);
    EXPECT_FALSE(child->IsVisible(false));
    EXPECT_EQ(top->FindChild(WString(u"child")).Get(), child.Get());
    EXPECT_EQ(top->GetIdleUsers(), 1);

    harness.Tick();
    EXPECT_FALSE(top->FindChild(WString(u"child")));
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_EQ(top->GetIdleUsers(), 0);
    EXPECT_EQ(ProbeLog::Lines(), (std::vector<std::string>{"child:OnConditionsChanged(C00->400)", "child:Close",
                                                          "top:OnChildrenChanged(child,0)", "top:OnTimer"}));
    EXPECT_EQ(Names(*top, 0), (std::vector<std::string>{"sibling"}));

    // The idle subscription went with the last queued entry.
    ProbeLog::Clear();
    harness.Tick();
    EXPECT_TRUE(ProbeLog::Lines().empty());
}

TEST_F(ControlTree, GainingAChildClosesTheQueuedOnesFirst)
{
    const auto top = MakeProbe(nullptr, u"top");
    const auto child = MakeProbe(top.Get(), u"child");
    EXPECT_EQ(top->RemoveChild(child.Get()), QK_OK);
    // The queued child's name is free again for the newcomer.
    const auto newcomer = MakeProbe(top.Get(), u"child");
    EXPECT_EQ(top->FindChild(WString(u"child")).Get(), newcomer.Get());
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_EQ(top->GetIdleUsers(), 0);
}

TEST_F(ControlTree, CloseHidesATopControlAndDropsItsWindow)
{
    const auto top = MakeProbe(nullptr, u"top");
    ASSERT_EQ(top->SetRootWindow(harness.Window().Get()), QK_OK);
    const auto a = MakeProbe(top.Get(), u"a");
    const auto b = MakeProbe(top.Get(), u"b");
    const auto c = MakeProbe(top.Get(), u"c");
    EXPECT_EQ(b->SetRootWindow(harness.Window().Get()), QK_E_FAIL);

    b->Close();
    EXPECT_EQ(Names(*top, 0), (std::vector<std::string>{"a", "c"}));
    top->Close();
    EXPECT_FALSE(top->GetLayoutDescriptor()->IsVisible);
    EXPECT_FALSE(top->GetRootWindow());
}

TEST_F(ControlTree, TheLastOutsideReleaseFreesATreeWithAnUpdater)
{
    bool destroyed[4] = {};
    {
        const auto top = MakeProbe(nullptr, u"top");
        ASSERT_EQ(top->SetRootWindow(harness.Window().Get()), QK_OK);
        top->destroyed = &destroyed[0];
        const auto middle = MakeProbe(top.Get(), u"middle");
        middle->destroyed = &destroyed[1];
        const auto lower = MakeProbe(middle.Get(), u"lower");
        lower->destroyed = &destroyed[2];
        const auto side = MakeProbe(top.Get(), u"side");
        side->destroyed = &destroyed[3];

        const std::int32_t internals = middle->GetInternalRefCount();
        const RCPtr<LMenuItemUpdater> updater = middle->GetMenuItemUpdater();
        EXPECT_EQ(middle->GetMenuItemUpdater().Get(), updater.Get());
        EXPECT_EQ(middle->GetInternalRefCount(), internals + 1);
        EXPECT_EQ(updater->GetControl(), middle.Get());

        // Subscriptions both ways: a sibling listens to the top, the top to a child.
        std::vector<std::string> log;
        const auto listener = Recorder::Create("listener", log);
        listener->Subscribe(ConstRCPtr<LNotificationDistributor>(top.Get()), u"NID_VALUE_CHANGE");
        lower->RemoveChild(nullptr);
        middle->RemoveChild(lower.Get());
        EXPECT_EQ(middle->GetIdleUsers(), 1);
    }
    for (bool gone : destroyed)
        EXPECT_TRUE(gone);
}

TEST_F(ControlTree, SetValueClampsIgnoresNotANumberAndSendsOnlyChanges)
{
    const auto control = MakeProbe(nullptr, u"slider");
    ASSERT_EQ(control->SetValueRange(0.0, 200.0, 0), QK_OK);
    std::vector<std::string> log;
    const auto listener = Recorder::Create("listener", log);
    listener->Subscribe(ConstRCPtr<LNotificationDistributor>(control.Get()), u"NID_VALUE_CHANGE");

    double ranged = 0.0;
    listener->action = [&ranged](Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                                 const ConstRCPtr<LNotification>& notification)
    {
        const auto* param = dynamic_cast<const LValueParam*>(notification->GetArgument().Get());
        ranged = param ? param->RangedValue : -1.0;
    };
    EXPECT_EQ(control->SetValue(0.25), 0.25);
    ASSERT_EQ(listener->arguments.size(), 1u);
    EXPECT_EQ(listener->arguments[0], "ValueParam = 0.250000");
    EXPECT_EQ(ranged, 50.0);

    EXPECT_EQ(control->SetValue(0.25), 0.25);
    EXPECT_EQ(control->SetValue(1.5), 1.0);
    EXPECT_EQ(control->SetValue(-2.0), 0.0);
    EXPECT_EQ(control->SetValue(std::numeric_limits<double>::quiet_NaN()), 0.0);
    EXPECT_EQ(log.size(), 3u);
    listener->UnsubscribeAll();
}

TEST_F(ControlTree, TheRangedValueIsTheFractionMappedIntoTheRange)
{
    const auto control = MakeProbe(nullptr, u"slider");
    std::vector<std::string> log;
    const auto listener = Recorder::Create("listener", log);
    listener->Subscribe(ConstRCPtr<LNotificationDistributor>(control.Get()), u"NID_VALUE_CHANGE");
    double ranged = 0.0;
    listener->action = [&ranged](Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                                 const ConstRCPtr<LNotification>& notification)
    { ranged = dynamic_cast<const LValueParam&>(*notification->GetArgument()).RangedValue; };
    ASSERT_EQ(control->SetValueRange(10.0, 1000.0, 1), QK_OK);
    control->SetValue(0.5);
    EXPECT_NEAR(ranged, 100.0, 1e-9);
    listener->UnsubscribeAll();
}

struct RangeCase
{
    double minimum;
    double maximum;
    std::int32_t scale;
    double fraction;
    double value;
    double valueIn;
    double fractionOut;
};

TEST_F(ControlTree, ValueRangesMapBothWays)
{
    const RangeCase cases[] = {
        {10.0, 1000.0, 1, 0.5, 100.0, 100.0, 0.5},
        {20.0, 20000.0, 1, 0.5, 632.4555320336759, 2000.0, 2.0 / 3.0},
        {127.0, 0.0, 0, 0.0, 127.0, 0.0, 1.0},
        {0.0, 100.0, 0, 1.5, 150.0, 150.0, 1.0},
        {0.0, 100.0, 0, -0.5, -50.0, -10.0, 0.0},
        {5.0, 5.0, 0, 0.5, 5.0, 7.0, 0.0},
    };
    const auto control = MakeProbe(nullptr, u"range");
    for (const RangeCase& c : cases)
    {
        ASSERT_EQ(control->SetValueRange(c.minimum, c.maximum, c.scale), QK_OK);
        EXPECT_NEAR(control->FractionToValue(c.fraction), c.value, 1e-9) << c.minimum << ".." << c.maximum;
        EXPECT_NEAR(control->ValueToFraction(c.valueIn), c.fractionOut, 1e-9) << c.minimum << ".." << c.maximum;
    }

    ASSERT_EQ(control->SetValueRange(1.0, 100.0, 1), QK_OK);
    EXPECT_EQ(control->SetValueRange(0.0, 100.0, 1), QK_E_INVALIDARG);
    EXPECT_EQ(control->SetValueRange(1.0, -100.0, 1), QK_E_INVALIDARG);
    EXPECT_EQ(control->SetValueRange(1.0, 2.0, 2), QK_E_INVALIDARG);
    EXPECT_EQ(control->GetRangeMinimum(), 1.0);
    EXPECT_EQ(control->GetRangeScale(), 1);
    EXPECT_EQ(control->SetValueRange(-5.0, 5.0, 0), QK_OK);
}

TEST_F(ControlTree, BaseDefaults)
{
    const auto top = MakeProbe(nullptr, u"top");
    // A created top control is laid out against its window.
    ASSERT_EQ(top->SetRootWindow(harness.Window().Get()), QK_OK);
    const auto child = MakeProbe(top.Get(), u"child");
    SetBounds(*top, 0, 0, 50, 40);
    SetBounds(*child, 0, 0, 10, 10);

    EXPECT_EQ(child->SetText(WString(u"hello")), QK_OK);
    EXPECT_EQ(child->SetText(WString(u"hello")), QK_FALSE);
    const RectD extent = child->GetClientExtent();
    EXPECT_EQ(extent.width, 4503599627370496.0);
    EXPECT_EQ(extent.height, 4503599627370496.0);
    EXPECT_EQ(child->Hook32(0), QK_E_FAIL);
    EXPECT_FALSE(child->GetCommandTarget());
    top->commandTarget = true;
    EXPECT_EQ(child->GetCommandTarget().Get(), top.Get());
    EXPECT_FALSE(child->GetContextMenu());
    EXPECT_FALSE(child->GetStringTable());
    LMenuItemState state;
    state.Enabled = false;
    EXPECT_EQ(child->IsCommandEnabled(nullptr, 0, WString(u"NID_X"), state), 1);
    EXPECT_FALSE(state.Enabled);
    EXPECT_EQ(child->OnMouseWheel(nullptr), QK_FALSE);
    EXPECT_EQ(child->WantsKey(nullptr), QK_FALSE);
    EXPECT_EQ(child->OnDrop(nullptr), QK_E_FAIL);
    EXPECT_FALSE(child->AcceptsDrop(nullptr));
    EXPECT_EQ(child->GetDropScrollEdges(nullptr), 0u);
    EXPECT_FALSE(child->CanAcceptDrop());
    EXPECT_EQ(child->DropFiles(StringArray()), QK_FALSE);
    EXPECT_FALSE(child->HandleClipboardData(0));
    EXPECT_TRUE(child->GetToolTipText().IsEmpty());
    EXPECT_EQ(child->InitializeParts(), QK_OK);
    EXPECT_EQ(child->GetOpacity(), 1.0f);
    EXPECT_TRUE(child->IsNotFocusable() == false);
    EXPECT_EQ(child->GetSkinParam(WString(u"LABEL")).GetLength(), 0u);
    EXPECT_EQ(ErrorText([&] { child->PerformEdit(1); }),
              "Logic Error : LControl::PerformEdit must be overridden : QK::LControl::PerformEdit : "
              "ControlBase/Control : Line 591");

    // Visibility needs a size; with ancestors, every ancestor's own visibility too.
    EXPECT_TRUE(child->IsVisible(true));
    SetBounds(*child, 0, 0, 0, 10);
    EXPECT_FALSE(child->IsVisible(false));
    SetBounds(*child, 0, 0, 10, 10);
    top->GetLayoutDescriptor()->IsVisible = false;
    EXPECT_TRUE(child->IsVisible(false));
    EXPECT_FALSE(child->IsVisible(true));
    // Without looks, the client rectangle is the whole control, for any index.
    const RectD client = top->GetLookClientRect(3);
    EXPECT_EQ(client.width, 50.0);
    EXPECT_EQ(client.height, 40.0);
}

TEST_F(ControlTree, AxisSpecsReadOneAxisAndSetLayoutWritesThemBackSortingADockedChildAgain)
{
    const auto top = MakeProbe(nullptr, u"top");
    const auto a = MakeProbe(top.Get(), u"a");
    MakeProbe(top.Get(), u"b");
    ASSERT_EQ(Names(*top, 1), (std::vector<std::string>{"a", "b"}));
    LLayoutDescriptor& layout = *a->GetLayoutDescriptor();
    layout.X.PlacementAnchor = 0.5f;
    layout.X.Position = LayoutReference{2, WString(u"b"), 0.25f, 7.0};
    layout.X.Size = LayoutReference{0, WString(), 0.5f, 3.0};
    layout.Y.Position.Abs = 11.0;
    layout.YIsDocked = true;

    LayoutPosition position;
    LayoutReference size;
    for (const std::int32_t axis : {2, -1})
    {
        position.Abs = 123.0;
        EXPECT_EQ(layout.GetAxisSpecs(axis, position, size), QK_E_INVALIDARG) << axis;
        EXPECT_EQ(position.Abs, 123.0) << "nothing is written for axis " << axis;
    }
    ASSERT_EQ(layout.GetAxisSpecs(1, position, size), QK_OK);
    EXPECT_EQ(position.Abs, 11.0);
    EXPECT_TRUE(position.Docked);
    LayoutPosition x;
    LayoutReference xSize;
    ASSERT_EQ(layout.GetAxisSpecs(0, x, xSize), QK_OK);
    EXPECT_EQ(x.PlacementAnchor, 0.5f);
    EXPECT_EQ(x.Kind, 2);
    EXPECT_EQ(Narrow(x.Name), "b");
    EXPECT_EQ(x.Rel, 0.25f);
    EXPECT_EQ(x.Abs, 7.0);
    EXPECT_FALSE(x.Docked);
    EXPECT_EQ(xSize.Kind, 0);
    EXPECT_EQ(xSize.Abs, 3.0);

    // Docked on one more axis, a sorts above its sibling at once.
    x.Docked = true;
    x.Abs = 9.0;
    a->SetLayout(x, xSize, position, size);
    EXPECT_TRUE(layout.XIsDocked);
    EXPECT_EQ(layout.X.Position.Abs, 9.0);
    EXPECT_EQ(Names(*top, 1), (std::vector<std::string>{"b", "a"}));
}

// Hears "NID_VALUE_CHANGE" of its children through the control's own handler table, and while
// it loses a child sets another one's value.
class ValueListener : public ProbeControl
{
public:
    using ProbeControl::ProbeControl;
    QKRESULT OnValue(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
    {
        ++heard;
        return QK_OK;
    }
    void Listen(LControl& child)
    {
        GetHandlers()->AddHandler(static_cast<QKRESULT (LControl::*)(const ConstRCPtr<LNotificationDistributor>&,
                                                                      const ConstRCPtr<LNotification>&)>(
                                      &ValueListener::OnValue),
                                  ConstRCPtr<LNotificationDistributor>(&child), u"NID_VALUE_CHANGE");
    }
    void OnChildrenChanged(LControl* child, std::int32_t index) override
    {
        ProbeControl::OnChildrenChanged(child, index);
        if (const RCPtr<LControl> other = FindChild(WString(u"a")))
            other->SetValue(other->GetValue() + 0.25);
    }
    int heard = 0;
};

TEST_F(ControlTree, AControlComingApartHearsNothingMore)
{
    RCPtr<LControlDescriptor> descriptor(new LControlDescriptor(WString(u"Test.Probe"), WString(u"listener")));
    const RCPtr<ValueListener> listener(new ValueListener(nullptr, WString(u"listener")));
    listener->CreateFromDescriptor(descriptor.Get());
    listener->Initialize();
    const auto a = MakeProbe(listener.Get(), u"a");
    MakeProbe(listener.Get(), u"b");
    listener->Listen(*a);
    a->SetValue(0.5);
    ASSERT_EQ(listener->heard, 1);

    // Losing b while it comes apart moves a's value; the listener no longer hears it.
    listener->ReleaseInternalReferences();
    EXPECT_EQ(a->GetValue(), 0.75);
    EXPECT_EQ(listener->heard, 1);
}

} // namespace
} // namespace QK
