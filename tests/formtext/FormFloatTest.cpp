// Number forms of the form text: fixed extended, general single and date,
// and currency in decimal.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "formtext/FormFloat.h"

namespace sorvak::formtext {
namespace {

// The 10 bytes of an extended value from its mantissa and sign-exponent word.
std::string Extended(std::uint64_t mantissa, unsigned signExponent) {
    unsigned char bytes[10];
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<unsigned char>(mantissa >> (8 * i));
    bytes[8] = static_cast<unsigned char>(signExponent);
    bytes[9] = static_cast<unsigned char>(signExponent >> 8);
    return FormatExtendedFixed(bytes);
}

constexpr std::uint64_t One = 0x8000000000000000ull; // integer bit alone

TEST(FormatExtendedFixed, WritesSixteenDigitsAndEighteenDecimals) {
    const struct {
        std::uint64_t mantissa;
        unsigned signExponent;
        const char* expected;
    } cases[] = {
        {One, 0x3FFE, "0.500000000000000000"},
        {0, 0, "0.000000000000000000"},
        {One, 0x3FFF, "1.000000000000000000"},
        {One, 0xBFFF + 3, "-8.000000000000000000"},
        // One third: 16 significant digits, then zeros.
        {0xAAAAAAAAAAAAAAABull, 0x3FFD, "0.333333333333333300"},
        // 2^52 + 1 has 16 digits, all kept.
        {One | (One >> 52), 0x3FFF + 52, "4503599627370497.000000000000000000"},
        // 2^-60 is below the 18th decimal.
        {One, 0x3FFF - 60, "0.000000000000000001"},
        {One, 0x3FFF - 70, "0.000000000000000000"},
        // 2^60 is beyond the fixed form.
        {One, 0x3FFF + 60, "1.152921504606847E18"},
        {One, 0x7FFF, "INF"},
        {One, 0xFFFF, "-INF"},
        {One | 1, 0x7FFF, "NAN"},
        // A denormal: far below the decimals, but no fault.
        {1, 0, "0.000000000000000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Extended(c.mantissa, c.signExponent), c.expected)
            << std::hex << c.mantissa << " " << c.signExponent;
}

TEST(FormatGeneral, SwitchesToExponentOnlyAtTheEnds) {
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {1.5, "1.5"},
        {-0.25, "-0.25"},
        {100, "100"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {1.5e20, "1.5E20"},
        {static_cast<double>(0.1f), "0.100000001490116"},
        {1.0 / 3, "0.333333333333333"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatGeneral(c.value), c.expected) << c.value;
}

TEST(FormatCurrency, DividesByTenThousandInDecimal) {
    const struct {
        std::int64_t value;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {12345, "1.2345"},
        {-5, "-0.0005"},
        {1, "0.0001"},
        {10000, "1"},
        {INT64_MAX, "922337203685478"}, // 922337203685477.5807 to 15 digits
        {INT64_MIN, "-922337203685478"},
        {99999999999999999, "10000000000000"}, // rounding carries into a new digit
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatCurrency(c.value), c.expected) << c.value;
}

} // namespace
} // namespace sorvak::formtext
