#include "imaging/pxmisc.h"
#include "platform/core/exceptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

TEST(ReportProgress, PercentRules)
{
    std::vector<int> seen;
    TPercentDoneEvent handler = [&](platform::TObject*, int percent) { seen.push_back(percent); };
    EXPECT_EQ(ReportProgress(nullptr, 5, 3, 255, 3, handler), 0); // Min = Max
    EXPECT_EQ(ReportProgress(nullptr, 50, 0, 0, 10, handler), 100); // beyond Max
    EXPECT_EQ(ReportProgress(nullptr, -5, 0, 100, 10, handler), 0); // before Min
    EXPECT_EQ(ReportProgress(nullptr, 1, 0, 0, 3, handler), 33);
    EXPECT_EQ((seen), (std::vector<int> { 0, 100, 0, 33 }));
    // The same percent twice fires once.
    seen.clear();
    int last = 255;
    last = ReportProgress(nullptr, 10, 0, last, 1000, handler);
    last = ReportProgress(nullptr, 11, 0, last, 1000, handler);
    EXPECT_EQ(seen, (std::vector<int> { 1 }));
    // No handler: nothing, and 0.
    EXPECT_EQ(ReportProgress(nullptr, 7, 0, 255, 10, nullptr), 0);
}

TEST(SharedRoutines, RoundingAndTruncation)
{
    EXPECT_DOUBLE_EQ(RoundToDecimals(90.0041, 3), 90.004);
    EXPECT_DOUBLE_EQ(RoundToDecimals(2.5, 0), 2.0); // the text form rounds halves to even
    EXPECT_DOUBLE_EQ(RoundToDecimals(-1.23456, 2), -1.23);
    EXPECT_EQ(SafeTrunc(-2.7), -2);
    EXPECT_EQ(SafeTrunc(1e15 + 0.5), 1000000000000000);
    for (double bad : { std::nan(""), 1e19, -1e19, std::numeric_limits<double>::infinity() }) {
        try {
            SafeTrunc(bad);
            FAIL() << bad;
        } catch (const platform::Exception& e) {
            EXPECT_STREQ(e.what(), "PxMisc unit: Error in SafeTrunc.");
        }
    }
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
}

TEST(SharedRoutines, DateAndTimeText)
{
    // 2024-02-29 13:05:09.250 is day 45351 since 1899-12-30.
    const double when = 45351 + (13 * 3600 + 5 * 60 + 9.25) / 86400.0;
    EXPECT_EQ(FormatDateWith("yyyy:mm:dd", when), "2024:02:29");
    EXPECT_EQ(FormatTimeWith("hh:nn:ss", when), "13:05:09");
    EXPECT_EQ(FormatDateWith("d/m/yy 'at' h:n:s.zzz", when), "29/2/24 at 13:5:9.250");
    EXPECT_EQ(FormatDateWith("yyyy-mm-dd", 0), "1899-12-30");
    EXPECT_EQ(FormatDateWith("yyyy-mm-dd hh:nn", -18109.75), "1850-06-01 18:00");
    const double now = NowAsDateTime();
    EXPECT_GT(now, 45000);
    EXPECT_EQ(FormatDateWith("yyyy", now).size(), 4u);
}
