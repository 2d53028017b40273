// The desktop's local time as the application reads it (GetLocalTimeFields): the fields of the
// local calendar of the time zone the user set, not of UTC.
#include "QKFramework/Platform/Window/SdlWindowHost.h"

#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

namespace QK
{
namespace
{

using namespace TestSupport;

TEST(LocalTimeTest, TheFieldsAreThoseOfTheUsersTimeZone)
{
    const struct
    {
        const char* zone;
        int hoursAheadOfUtc;
    } cases[] = {{"UTC0", 0}, {"XYZ-5", 5}, {"XYZ+9", -9}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.zone);
        ScopedEnvironment zone("TZ", c.zone);
        tzset();
        LocalTimeFields fields;
        const auto before = std::chrono::system_clock::now();
        GetSdlWindowSystem().GetLocalTime(fields);
        // The same moment read back from UTC, shifted by the zone's offset.
        const std::time_t shifted = std::chrono::system_clock::to_time_t(before) + c.hoursAheadOfUtc * 3600;
        std::tm expected{};
        gmtime_r(&shifted, &expected);
        EXPECT_EQ(fields.year, expected.tm_year + 1900);
        EXPECT_EQ(fields.month, expected.tm_mon + 1);
        EXPECT_EQ(fields.day, expected.tm_mday);
        EXPECT_EQ(fields.dayOfWeek, expected.tm_wday);
        EXPECT_EQ(fields.hour, expected.tm_hour);
        EXPECT_GE(fields.milliseconds, 0);
        EXPECT_LT(fields.milliseconds, 1000);
    }
    tzset();
}

} // namespace
} // namespace QK
