#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>

#include "state/Numbers.h"

namespace vesta {
namespace {

// Ties go to the even neighbour, Int is the floor, and a 16-bit conversion saturates instead of
// wrapping.
TEST(NumberRules, RoundingFlooringAndSixteenBits) {
    EXPECT_EQ((std::vector{roundHalfEven(2.5), roundHalfEven(-3.5),
                           roundHalfEven(0.49999999999999994), floorInt(-0.5)}),
              (std::vector{2.0, -4.0, 0.0, -1.0}));
    EXPECT_EQ((std::vector{toInteger16(1e9), toInteger16(-1e9), toInteger16(1.5)}),
              (std::vector<std::int16_t>{32767, -32768, 2}));
}

// Str reserves a blank for the sign and hides the last bits of a rounding error in fifteen
// significant digits. The window runs under the user's locale; an Italian one must not turn
// Str's point into a comma nor take the user's separator away from the plain form, and the C
// library there reads neither "12.5" nor "12,5" made into "12.5".
TEST(NumberRules, TextsKeepTheirFormUnderAnItalianLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "it_IT.UTF-8"), nullptr)
        << "the it_IT.UTF-8 locale is missing: scripts/install-deps.sh generates it";
    const std::string texts[] = {strForm(53.13010235415603),
                                 strForm(-45.00000000000004),
                                 strForm(1e16),
                                 plainForm(1.5e-5, ','),
                                 roundedForm(5990.04, 1, ','),
                                 roundedForm(-0.004, 2, ','),
                                 fixedForm(207.3, 2, ','),
                                 exactForm(0.1)};
    const std::optional<double> typed[] = {typedLength("12,5"), typedLength("12.5"),
                                           typedLength("0x1p3"), typedLength("inf")};
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_TRUE(typed[0] == 12.5 && typed[1] == 12.5 && !typed[2] && !typed[3]);
    EXPECT_EQ(std::vector<std::string>(std::begin(texts), std::end(texts)),
              (std::vector<std::string>{" 53.130102354156", "-45", " 1E+16", "1,5E-05", "5990", "0",
                                        "207,30", "0.10000000000000001"}));
}

// "1.200" is twelve hundred to an Italian reader and 1.2 to the program: refused, never read a
// thousand times off; a comma, another count of decimals or a leading zero leaves no doubt.
TEST(TypedLength, APointBeforeThreeDigitsIsAmbiguousAndRefused) {
    for (const char* text : {"1.200", " 12.500", "1.000", "250.125"}) {
        EXPECT_TRUE(ambiguousPoint(text) && !typedLength(text)) << text;
    }
    for (const char* text :
         {"12,5", "12.5", "1200", "1.2", "1.2000", "0.125", "1,200", "1.200,5"}) {
        EXPECT_FALSE(ambiguousPoint(text)) << text;
    }
    EXPECT_EQ(ambiguousPointMessage("1.200"),
              "Il numero 1.200 è ambiguo: scrivere 1200 se il punto separa le migliaia, oppure "
              "1,2 se separa i decimali (si usa la virgola).");
}

}  // namespace
}  // namespace vesta
