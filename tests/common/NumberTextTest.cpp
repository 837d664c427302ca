#include "common/NumberText.h"
#include "common/PrintLine.h"
#include "common/Rounding.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace ondrix {
namespace {

TEST(NumberText, PrintsAsTheClassicRuntime) {
    EXPECT_EQ(NumberText(0.5), " .5");
    EXPECT_EQ(NumberText(-0.25), "-.25");
    EXPECT_EQ(NumberText(1073741824.0, Precision::Single), " 1.073742E+09");
    EXPECT_EQ(NumberText(1000000.0), " 1000000");
    EXPECT_EQ(NumberText(1e-05), " 1E-05");
    EXPECT_EQ(NumberText(1e20, Precision::Single), " 1E+20");
    EXPECT_EQ(NumberText(-0.0), " 0");
    EXPECT_EQ(NumberText(0.0), " 0");
    EXPECT_EQ(NumberText(-5.0), "-5");
    EXPECT_EQ(NumberText(21.333), " 21.333");
    // A single keeps seven digits, a double fifteen.
    EXPECT_EQ(NumberText(1.0 / 3.0, Precision::Single), " .3333333");
    EXPECT_EQ(NumberText(1.0 / 3.0), " .333333333333333");
    EXPECT_EQ(BareNumberText(2048), "2048");
    EXPECT_EQ(BareNumberText(-2048), "-2048");
    EXPECT_EQ(LogItemText(12.5), " 12.5 ");
    EXPECT_EQ(LogItemText(-3), "-3 ");
}

TEST(NumberText, ComposesMessagesWithTheirBlanks) {
    // A literal ending in a blank followed by a number with its own leading blank.
    const double step = 2;
    const double fs = 48000;
    EXPECT_EQ("Scan Step " + NumberText(step) + " = " + NumberText(RoundTo(1000 * step / fs, 3)) + " msec",
              "Scan Step  2 =  .042 msec");
}

TEST(TextValue, ReadsTheLeadingNumberOnly) {
    EXPECT_EQ(TextValue("4 Mbytes"), 4);
    EXPECT_EQ(TextValue("-12"), -12);
    EXPECT_EQ(TextValue("1.5e3"), 1.5);
    EXPECT_EQ(TextValue("&H10"), 0);
    EXPECT_EQ(TextValue("off"), 0);
    EXPECT_EQ(TextValue(""), 0);
    EXPECT_EQ(TextValue("1.2.3"), 1.2);
    EXPECT_EQ(TextValue("  +7.25x"), 7.25);
    EXPECT_EQ(TextValue(".5"), 0.5);
    EXPECT_EQ(TextValue("1 - mono (left)"), 1);
    EXPECT_EQ(TextValue("10 colour"), 10);
    EXPECT_EQ(TextValue("659.18 MB"), 659.18);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundToInt32(1024.0 / 200.0 / 2.0), 3);
    EXPECT_EQ(RoundToInt32(4096.0 / 384.0), 11);
    EXPECT_EQ(RoundToInt32(1.5 + 41), 42);
    EXPECT_EQ(RoundToInt32(2.5), 2);
    EXPECT_EQ(RoundToInt32(-2.5), -2);
    EXPECT_EQ(RoundToInt32(-3.5), -4);
    EXPECT_EQ(TextToInt32("44100.5"), 44100);
}

TEST(Rounding, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(RoundToInt32(1e12), INT32_MAX);
    EXPECT_EQ(RoundToInt32(-1e12), INT32_MIN);
    EXPECT_EQ(TextToInt32("99999999999999999999999"), INT32_MAX);
    EXPECT_EQ(RoundToInt64(1e30), INT64_MAX);
    EXPECT_EQ(RoundToInt32(std::nan("")), 0);
}

TEST(Rounding, RoundToTruncatesAfterAddingAHalf) {
    EXPECT_DOUBLE_EQ(RoundTo(1000.0 * 1024 / 48000, 3), 21.333);
    EXPECT_DOUBLE_EQ(RoundTo(2.5, 0), 3);
    EXPECT_DOUBLE_EQ(RoundTo(-2.5, 0), -2); // Fix(-2.0) = -2
    EXPECT_DOUBLE_EQ(RoundTo(-2.7, 0), -2); // Fix(-2.2) toward zero
    EXPECT_EQ(Log2Floor(1024), 10);
    EXPECT_EQ(Log2Floor(16384), 14);
    EXPECT_EQ(Log2Floor(1000), 9);
    EXPECT_EQ(Log2Floor(1), 0);
    EXPECT_EQ(Log2Floor(0), 0);
}

TEST(PrintLine, CommaMovesToTheNextZoneStrictlyAfterTheColumn) {
    EXPECT_EQ(ZoneFields({"a", "b"}), "a             b");
    // An item of exactly 14 characters still moves one whole zone on.
    EXPECT_EQ(ZoneFields({"12345678901234", "x"}), "12345678901234              x");
    // An empty field takes a zone of its own.
    EXPECT_EQ(ZoneFields({"a", "", "c"}), std::string("a") + std::string(27, ' ') + "c");
    PrintLine line;
    line.Item("ab").Item("cd").NextZone().Item("e");
    EXPECT_EQ(line.Text(), "abcd          e");
    PrintLine leading;
    leading.NextZone().Item("x");
    EXPECT_EQ(leading.Text(), std::string(14, ' ') + "x");
}

} // namespace
} // namespace ondrix
