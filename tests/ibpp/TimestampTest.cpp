#include <gtest/gtest.h>

#include "ibpp/TimestampConversion.h"
#include "ibpp/ibpp.h"

namespace {

TEST(TimestampTest, SettersCheckTheCalendarAndTheClock)
{
    IBPP::Timestamp stamp;
    int year, month, day, hour, minute, second, ticks;
    stamp.GetDate(year, month, day);
    EXPECT_EQ(1900, year);
    EXPECT_EQ(1, month);
    EXPECT_EQ(1, day);
    stamp.SetDate(2004, 2, 29);
    EXPECT_THROW(stamp.SetDate(2003, 2, 29), IBPP::Exception);
    EXPECT_THROW(stamp.SetDate(1900, 2, 29), IBPP::Exception);
    stamp.SetDate(2000, 2, 29);
    EXPECT_THROW(stamp.SetDate(2004, 4, 31), IBPP::Exception);
    EXPECT_THROW(stamp.SetDate(2004, 13, 1), IBPP::Exception);
    EXPECT_THROW(stamp.SetDate(2004, 0, 1), IBPP::Exception);
    EXPECT_THROW(stamp.SetDate(0, 1, 1), IBPP::Exception);
    EXPECT_THROW(stamp.SetDate(10000, 1, 1), IBPP::Exception);
    stamp.SetDate(9999, 12, 31);
    stamp.SetDate(1, 1, 1);
    stamp.GetDate(year, month, day);
    EXPECT_EQ(1, year);  // a refused setter left the last good value

    stamp.SetTime(23, 59, 59, 9999);
    EXPECT_THROW(stamp.SetTime(24, 0, 0), IBPP::Exception);
    EXPECT_THROW(stamp.SetTime(0, 60, 0), IBPP::Exception);
    EXPECT_THROW(stamp.SetTime(0, 0, 60), IBPP::Exception);
    EXPECT_THROW(stamp.SetTime(-1, 0, 0), IBPP::Exception);
    stamp.GetTime(hour, minute, second, ticks);
    EXPECT_EQ(23, hour);
    EXPECT_EQ(9999, ticks);
    EXPECT_THROW(IBPP::Timestamp(2004, 2, 30), IBPP::Exception);
}

TEST(TimestampTest, EngineWordsCountFromNovember1858)
{
    EXPECT_EQ(0, IBPP::ToEngineDate(IBPP::Timestamp(1858, 11, 17)));
    EXPECT_EQ(1, IBPP::ToEngineDate(IBPP::Timestamp(1858, 11, 18)));
    EXPECT_EQ(51544, IBPP::ToEngineDate(IBPP::Timestamp(2000, 1, 1)));  // MJD of 1 January 2000
    EXPECT_EQ((9 * 3600 + 5 * 60 + 7) * 10000, static_cast<int>(IBPP::ToEngineTime(IBPP::Timestamp(1, 1, 1, 9, 5, 7))));
    for (const IBPP::Timestamp& stamp : {IBPP::Timestamp(1, 1, 1), IBPP::Timestamp(1600, 2, 29, 12),
                                         IBPP::Timestamp(2004, 12, 25, 23, 59, 59), IBPP::Timestamp(9999, 12, 31)})
        EXPECT_TRUE(stamp == IBPP::FromEngine(IBPP::ToEngineDate(stamp), IBPP::ToEngineTime(stamp)));
}

}  // namespace
