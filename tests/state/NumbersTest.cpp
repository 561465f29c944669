#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "state/Numbers.h"

namespace vesta {
namespace {

TEST(NumberRules, RoundHalfEvenGoesToTheEvenNeighbourOnTies) {
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(-3.5), -4.0);
    EXPECT_EQ(roundHalfEven(100.7), 101.0);
    EXPECT_EQ(roundHalfEven(0.49999999999999994), 0.0);
}

TEST(NumberRules, SixteenBitConversionSaturatesInsteadOfWrapping) {
    EXPECT_EQ(toInteger16(1e9), 32767);
    EXPECT_EQ(toInteger16(-1e9), -32768);
    EXPECT_EQ(toInteger16(0.5), 0);
    EXPECT_EQ(toInteger16(1.5), 2);
}

TEST(NumberRules, IntIsTheFloor) {
    EXPECT_EQ(floorInt(512.9), 512.0);
    EXPECT_EQ(floorInt(-36.2), -37.0);
    EXPECT_EQ(floorInt(-0.5), -1.0);
}

TEST(NumberRules, StrFormReservesABlankForTheSign) {
    EXPECT_EQ(strForm(640), " 640");
    EXPECT_EQ(strForm(-37), "-37");
    EXPECT_EQ(strForm(53.13010235415603), " 53.130102354156");
    // Fifteen significant digits hide the last bits of a rounding error.
    EXPECT_EQ(strForm(-45.00000000000004), "-45");
    EXPECT_EQ(strForm(1.9000000000000008), " 1.9");
    EXPECT_EQ(strForm(1e16), " 1E+16");
}

// The window runs under the user's locale; an Italian one must not turn Str's point into a
// comma nor take the user's separator away from the plain form.
TEST(NumberRules, TextsDoNotFollowTheProcessLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "it_IT.UTF-8"), nullptr)
        << "the it_IT.UTF-8 locale is missing: scripts/install-deps.sh generates it";
    const std::string str = strForm(123.456), point = plainForm(0.25, '.');
    const std::string comma = plainForm(1.5e-5, ',');
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(str, " 123.456");
    EXPECT_EQ(point, "0.25");
    EXPECT_EQ(comma, "1,5E-05");
}

}  // namespace
}  // namespace vesta
