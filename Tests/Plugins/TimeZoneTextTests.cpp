/*
 * TimeZoneTextTests.cpp
 *
 * The client's time-zone text: whole-hour zones come out as plain rules,
 * half-hour and 45-minute zones keep their minutes, and abbreviations that
 * are not made of letters are bracketed, so that every text is a rule that
 * the C library itself accepts as "TZ" and that gives the same offset.
 */
#include "TimeZoneText.h"
#include "PlugInTestSupport.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

namespace {

/* 2026-01-15 12:00 UTC (winter in the north) and 2026-07-15 12:00 UTC. */
const time_t kJanuary = 1768478400;
const time_t kJuly = 1784116800;

class TimeZoneTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char *tz = getenv("TZ");
        saved = tz != NULL;
        if (saved)
            savedTZ = tz;
    }
    void TearDown() override {
        if (saved)
            setenv("TZ", savedTZ.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    /* The text in zone `tz` at `when`; checks that it is a valid rule. */
    std::string TextIn(const char *tz, time_t when) {
        setenv("TZ", tz, 1);
        CFOwned<CFStringRef> text(CopyTimeZoneText(when));
        struct tm local;
        localtime_r(&when, &local);
        std::string rule = StdString(text.get());

        setenv("TZ", rule.c_str(), 1);
        tzset();
        struct tm again;
        localtime_r(&when, &again);
        EXPECT_EQ(local.tm_gmtoff, again.tm_gmtoff) << tz << " gave " << rule;
        EXPECT_EQ(local.tm_hour, again.tm_hour) << tz << " gave " << rule;
        return rule;
    }
    bool saved = false;
    std::string savedTZ;
};

TEST_F(TimeZoneTextTest, WholeHourZonesAreAbbreviationAndHoursWest) {
    EXPECT_EQ("JST-9", TextIn("Asia/Tokyo", kJanuary));
    EXPECT_EQ("EST5", TextIn("America/New_York", kJanuary));
    EXPECT_EQ("EDT4", TextIn("America/New_York", kJuly));
    EXPECT_EQ("UTC0", TextIn("UTC", kJuly));
    EXPECT_EQ("CET-1", TextIn("Europe/Berlin", kJanuary));
}

TEST_F(TimeZoneTextTest, PartialHourZonesKeepTheirMinutes) {
    EXPECT_EQ("IST-5:30", TextIn("Asia/Kolkata", kJanuary));
    EXPECT_EQ("<+0545>-5:45", TextIn("Asia/Kathmandu", kJanuary));
    EXPECT_EQ("NST3:30", TextIn("America/St_Johns", kJanuary));
    EXPECT_EQ("ACST-9:30", TextIn("ACST-9:30", kJanuary));
}

TEST_F(TimeZoneTextTest, AbbreviationsOtherThanLettersAreBracketed) {
    EXPECT_EQ("<+04>-4", TextIn("Asia/Dubai", kJanuary));
    EXPECT_EQ("<-03>3", TextIn("America/Sao_Paulo", kJanuary));
    EXPECT_EQ("<+0530>-5:30", TextIn("<+0530>-5:30", kJuly));
}

TEST(FormatTimeZoneRule, ShortNamesSecondsAndSmallBuffers) {
    char buffer[32];
    struct tm local = {};
    local.tm_zone = "Z";
    local.tm_gmtoff = 0;
    ASSERT_TRUE(FormatTimeZoneRule(&local, buffer, sizeof buffer));
    EXPECT_STREQ("<+00>0", buffer); /* too short to stand as a name */
    local.tm_zone = "LMT";
    local.tm_gmtoff = -(4 * 3600 + 56 * 60 + 2);
    ASSERT_TRUE(FormatTimeZoneRule(&local, buffer, sizeof buffer));
    EXPECT_STREQ("LMT4:56:02", buffer);
    local.tm_zone = NULL;
    local.tm_gmtoff = -1800; /* half an hour west: the sign must survive */
    ASSERT_TRUE(FormatTimeZoneRule(&local, buffer, sizeof buffer));
    EXPECT_STREQ("<-0030>0:30", buffer);
    local.tm_zone = "GMT";
    EXPECT_FALSE(FormatTimeZoneRule(&local, buffer, 6));
    EXPECT_STREQ("", buffer);
    EXPECT_FALSE(FormatTimeZoneRule(NULL, buffer, sizeof buffer));
}

} // namespace
