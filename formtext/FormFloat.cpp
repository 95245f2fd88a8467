#include "formtext/FormFloat.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace sorvak::formtext {

namespace {

// A decimal value: 0.digits times ten to the exponent; no digits for zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

template <typename Float> Decimal ToDecimal(Float value, int precision) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value,
                                      std::chars_format::scientific, precision - 1);
    Decimal d;
    const char* p = text;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; p < result.ptr && *p != 'e'; ++p) {
        if (*p != '.')
            d.digits.push_back(*p);
    }
    int exp10 = 0;
    if (p < result.ptr) {
        ++p;
        if (*p == '+')
            ++p;
        std::from_chars(p, result.ptr, exp10);
    }
    d.exponent = exp10 + 1;
    if (d.digits.find_first_not_of('0') == std::string::npos)
        d.digits.clear();
    return d;
}

void StripTrailingZeros(Decimal& d) {
    const auto last = d.digits.find_last_not_of('0');
    d.digits.resize(last == std::string::npos ? 0 : last + 1);
}

std::string General(Decimal d, int precision) {
    StripTrailingZeros(d);
    if (d.digits.empty())
        return "0";
    std::string out = d.negative ? "-" : "";
    const int n = static_cast<int>(d.digits.size());
    const int e = d.exponent;
    if (e > precision || e < -3) {
        out += d.digits[0];
        if (n > 1) {
            out += '.';
            out.append(d.digits, 1);
        }
        out += 'E';
        out += std::to_string(e - 1);
    } else if (e <= 0) {
        out += "0.";
        out.append(-e, '0');
        out += d.digits;
    } else if (n <= e) {
        out += d.digits;
        out.append(e - n, '0');
    } else {
        out.append(d.digits, 0, e);
        out += '.';
        out.append(d.digits, e);
    }
    return out;
}

std::string NonFinite(bool negative, bool nan) {
    if (nan)
        return "NAN";
    return negative ? "-INF" : "INF";
}

} // namespace

std::string FormatExtendedFixed(const unsigned char (&bytes)[10]) {
    constexpr int Precision = 16;
    constexpr int Decimals = 18;
    std::uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | bytes[i];
    const unsigned signExponent = bytes[8] | (bytes[9] << 8);
    const bool negative = (signExponent & 0x8000) != 0;
    const int exponent = static_cast<int>(signExponent & 0x7FFF);
    if (exponent == 0x7FFF)
        return NonFinite(negative, (mantissa << 1) != 0);

    // The explicit integer bit makes the mantissa a plain 64-bit integer;
    // denormals share the exponent of the smallest normal value.
    long double value =
        std::ldexp(static_cast<long double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
    if (negative)
        value = -value;

    Decimal d;
    if (mantissa != 0)
        d = ToDecimal(value, Precision);
    if (!d.digits.empty() && d.exponent > Precision)
        return General(d, Precision); // too large for the fixed form
    if (!d.digits.empty() && d.exponent + Decimals < Precision) {
        // Fewer than 16 significant digits fit in the 18 decimals: round there.
        const int keep = d.exponent + Decimals;
        if (keep >= 1) {
            d = ToDecimal(value, keep);
        } else if (keep == 0 && d.digits[0] >= '5') {
            d.digits = "1"; // rounds up to the last decimal
            ++d.exponent;
        } else {
            d.digits.clear();
        }
    }

    std::string out;
    const int n = static_cast<int>(d.digits.size());
    const int e = d.exponent;
    if (n == 0 || e <= 0) {
        out += '0';
    } else {
        for (int i = 0; i < e; ++i)
            out += i < n ? d.digits[i] : '0';
    }
    out += '.';
    for (int k = 0; k < Decimals; ++k) {
        const int index = e + k;
        out += (n > 0 && index >= 0 && index < n) ? d.digits[index] : '0';
    }
    if (d.negative && n > 0)
        out.insert(out.begin(), '-');
    return out;
}

std::string FormatGeneral(double value, int precision) {
    if (!std::isfinite(value))
        return NonFinite(std::signbit(value), std::isnan(value));
    if (value == 0)
        return "0";
    return General(ToDecimal(value, precision), precision);
}

std::string FormatCurrency(std::int64_t timesTenThousand) {
    constexpr int Precision = 15;
    Decimal d;
    d.negative = timesTenThousand < 0;
    // Through the unsigned magnitude, so that the smallest value has one too.
    std::uint64_t magnitude = static_cast<std::uint64_t>(timesTenThousand);
    if (d.negative)
        magnitude = ~magnitude + 1;
    d.digits = std::to_string(magnitude);
    d.exponent = static_cast<int>(d.digits.size()) - 4;
    if (d.digits.size() > Precision) {
        const bool roundUp = d.digits[Precision] >= '5';
        d.digits.resize(Precision);
        if (roundUp) {
            int i = Precision - 1;
            while (i >= 0 && d.digits[i] == '9')
                d.digits[i--] = '0';
            if (i >= 0) {
                ++d.digits[i];
            } else {
                d.digits.insert(d.digits.begin(), '1');
                d.digits.pop_back();
                ++d.exponent;
            }
        }
    }
    if (magnitude == 0)
        d.digits.clear();
    return General(d, Precision);
}

} // namespace sorvak::formtext
