#include "QKFramework/Notification/NotificationId.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>
#include <vector>

namespace
{

using namespace QK;

std::uint32_t TableSize()
{
    MutexLock lock(GetNidRegistryLock());
    return GetNotificationIdNames().GetCount();
}

TEST(NotificationId, NoNameGivesNoId)
{
    EXPECT_EQ(GetNotificationId(nullptr), 0u);
    EXPECT_EQ(GetNotificationId(u""), 0u);
    EXPECT_EQ(GetNotificationId(NID{0}), 0u);
    EXPECT_TRUE(GetNotificationName(0).IsEmpty());
}

TEST(NotificationId, InternsOnceByValueAndReadsBackAsItsName)
{
    const std::uint32_t before = TableSize();
    const NID id = GetNotificationId(u"NID_IDLE");
    ASSERT_NE(id, 0u);
    EXPECT_EQ(TableSize(), before + 1);

    // Another buffer with the same characters, the id itself as a name pointer and as a
    // number: all the same id, nothing appended.
    std::array<char16_t, 9> copy{u'N', u'I', u'D', u'_', u'I', u'D', u'L', u'E', 0};
    EXPECT_EQ(GetNotificationId(copy.data()), id);
    EXPECT_EQ(GetNotificationId(reinterpret_cast<const char16_t*>(id)), id);
    EXPECT_EQ(GetNotificationId(id), id);
    EXPECT_EQ(GetNotificationId(WString(u"NID_IDLE")), id);
    EXPECT_EQ(TableSize(), before + 1);

    EXPECT_TRUE(WString(reinterpret_cast<const char16_t*>(id)).IsEqual(u"NID_IDLE"));
    EXPECT_TRUE(GetNotificationName(id).IsEqual(u"NID_IDLE"));
    // Interned text is the table's own copy, not the caller's buffer.
    EXPECT_NE(id, reinterpret_cast<NID>(copy.data()));
}

TEST(NotificationId, NamesAreCaseSensitive)
{
    const NID upper = GetNotificationId(u"NID_CASE_TEST");
    const NID lower = GetNotificationId(u"nid_case_test");
    const NID mixed = GetNotificationId(u"NID_Case_Test");
    EXPECT_NE(upper, lower);
    EXPECT_NE(upper, mixed);
    EXPECT_NE(lower, mixed);
}

TEST(NotificationId, NumberThatIsNoIdIsRefusedWithoutReadingIt)
{
    // The characters of a name that was never interned: as a number it is no id (and is not
    // read), as a name pointer it is interned.
    static const char16_t text[] = u"NID_NEVER_INTERNED_BEFORE";
    const auto asNumber = reinterpret_cast<NID>(text);
    EXPECT_EQ(GetNotificationId(asNumber), 0u);
    EXPECT_TRUE(GetNotificationName(asNumber).IsEmpty());
    EXPECT_EQ(GetNotificationId(NID{12345}), 0u);

    const NID id = GetNotificationId(text);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, asNumber);
}

TEST(NotificationId, ThreadsInterningTheSameNamesAgree)
{
    constexpr int kThreads = 4;
    constexpr int kNames = 64;
    std::array<std::vector<NID>, kThreads> ids;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [t, &ids]
            {
                for (int n = 0; n < kNames; ++n)
                {
                    // Each thread makes its own buffers, in its own order.
                    const int index = (n + t * 17) % kNames;
                    std::u16string name = u"NID_THREADED_" +
                                          std::u16string(1, static_cast<char16_t>(u'A' + index % 26)) +
                                          std::u16string(1, static_cast<char16_t>(u'a' + index / 26));
                    ids[t].push_back(GetNotificationId(name.c_str()));
                }
            });
    }
    for (auto& thread : threads)
        thread.join();

    for (int t = 0; t < kThreads; ++t)
    {
        for (int n = 0; n < kNames; ++n)
        {
            const int index = (n + t * 17) % kNames;
            EXPECT_NE(ids[t][n], 0u);
            EXPECT_EQ(ids[t][n], ids[0][index]) << "thread " << t << " name " << index;
        }
    }
}

} // namespace
