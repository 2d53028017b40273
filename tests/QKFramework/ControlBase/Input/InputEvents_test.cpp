#include "QKFramework/ControlBase/Input/InputEvents.h"

#include "tests/support/Recorder.h"

#include <gtest/gtest.h>

#include <vector>

namespace QK
{
namespace
{

using TestSupport::Narrow;

TEST(InputEvents, TextForms)
{
    EXPECT_EQ(Narrow(LPointParam::Create(PointL{-3, 7})->ToString()), "point(-3, 7)");
    EXPECT_EQ(Narrow(LPointWithModifiersParam::Create(PointL{1, 2}, 0x48)->ToString()),
              "point(1, 2)  modifiers: 0x00000048");
    EXPECT_EQ(Narrow(LMouseButtonParam::Create(1, PointL{3, 4}, 1, false, 1)->ToString()),
              "point(3, 4)  modifiers: 0x00000001");
    const char* directions[] = {"down", "up", "up", "up"};
    for (std::int32_t direction = 0; direction < 4; ++direction)
        EXPECT_EQ(Narrow(LMouseWheelParam::Create(PointL{5, 6}, 8, direction)->ToString()),
                  std::string("point(5, 6)  modifiers: 0x00000008  direction: ") + directions[direction]);
    EXPECT_EQ(Narrow(LKeyParam::Create(KeyCode::Parse(u"Ctrl+VKEY_C"), true)->ToString()), "Ctrl+VKEY_C");
    EXPECT_EQ(Narrow(LKeyParam::Create(KeyCode(u'A', 0))->ToString()), "[65]");
}

TEST(InputEvents, FieldsAsCreated)
{
    const auto button = LMouseButtonParam::Create(4, PointL{10, 20}, 9, true, 5, 3);
    EXPECT_EQ(button->Button, 4u);
    EXPECT_EQ(button->GetPoint(), (PointL{10, 20}));
    EXPECT_EQ(button->Modifiers, 9u);
    EXPECT_TRUE(button->DoubleClick);
    EXPECT_EQ(button->ButtonState, 5u);
    EXPECT_EQ(button->Source, 3);
    const auto wheel = LMouseWheelParam::Create(PointL{1, 1}, 0, 2);
    EXPECT_EQ(wheel->Source, 0);
    EXPECT_TRUE(wheel->IsHorizontal());
    const auto key = LKeyParam::Create(KeyCode::Parse(u"VKEY_TAB"), true);
    EXPECT_TRUE(key->StayInside);
    EXPECT_EQ(key->Path.GetCount(), 0u);
}

template <class T> void* AddressOf(const RCPtr<T>& object)
{
    return static_cast<void*>(const_cast<T*>(object.Get()));
}

TEST(InputEvents, ReleasedObjectsAreReusedAndPoolsGrowPastTheirSize)
{
    auto& pool = LMouseButtonParam::GetReuseAllocator();
    std::vector<RCPtr<LMouseButtonParam>> live;
    for (int i = 0; i < 33; ++i)
        live.push_back(LMouseButtonParam::Create(1, PointL{i, i}, 0, false, 1));
    EXPECT_GE(pool.GetBlockCount(), 33u);
    void* const released = AddressOf(live.back());
    live.pop_back();
    const auto again = LMouseButtonParam::Create(2, PointL{}, 0, false, 0);
    EXPECT_EQ(AddressOf(again), released);
    EXPECT_EQ(again->Button, 2u);

    // The smaller pools work alike.
    for (int i = 0; i < 2; ++i)
    {
        const auto wheel = LMouseWheelParam::Create(PointL{}, 0, 1);
        void* const block = AddressOf(wheel);
        const auto point = LPointWithModifiersParam::Create(PointL{}, 0);
        void* const pointBlock = AddressOf(point);
        EXPECT_NE(block, pointBlock);
        static void* previous[2] = {nullptr, nullptr};
        if (i == 1)
        {
            EXPECT_EQ(block, previous[0]);
            EXPECT_EQ(pointBlock, previous[1]);
        }
        previous[0] = block;
        previous[1] = pointBlock;
    }
}

} // namespace
} // namespace QK
