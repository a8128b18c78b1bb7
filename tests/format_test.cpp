#include <gtest/gtest.h>

#include "util/format.h"

namespace tobrak {
namespace {

TEST(NumberForms, SurfaceAndCaption) {
    EXPECT_EQ(surfaceNumber(12), " 12 ");
    EXPECT_EQ(surfaceNumber(0), " 0 ");
    EXPECT_EQ(surfaceNumber(-5), "-5 ");
    EXPECT_EQ(captionNumber(-5), "-5");
    EXPECT_EQ(captionNumber(31000), "31000");
}

TEST(NumberForms, PictureRoundsHalfAwayFromZeroOnTheExactValue) {
    EXPECT_EQ(formatPicture(3.0 / 7.0 * 100.0, "#0.00"), "42.86");
    EXPECT_EQ(formatPicture(0.0, "#0.00"), "0.00");
    EXPECT_EQ(formatPicture(0.125, "#0.00"), "0.13");
    EXPECT_EQ(formatPicture(-0.125, "#0.00"), "-0.13");
    EXPECT_EQ(formatPicture(2.675f, "#0.00"), "2.67");   // the float lies just below .675
    EXPECT_EQ(formatPicture(9.999f, "#0.00"), "10.00");  // a carry into a new digit
    EXPECT_EQ(formatPicture(-0.001, "#0.00"), "0.00");
    EXPECT_EQ(formatPicture(12345.5, "#0.00"), "12345.50");
    EXPECT_EQ(formatPicture(0.5, "##0.00"), "0.50");
    EXPECT_EQ(formatPicture(287.44, "平均#0.00"), "平均287.44");
    EXPECT_EQ(formatPicture(0.0, "#####"), "");
    EXPECT_EQ(formatPicture(1234.5, "#####"), "1235");
    EXPECT_EQ(formatPicture(7.0, "000"), "007");
    EXPECT_EQ(formatPicture(5.0, "#0.00 ％"), "5.00 ％");
}

}  // namespace
}  // namespace tobrak
