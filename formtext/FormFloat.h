#pragma once
// Number forms of the form description text. They never consult the locale:
// the decimal separator is always ".".
#include <cstdint>
#include <string>

namespace sorvak::formtext {

// A 10-byte extended float (little-endian) in fixed-point form: 16
// significant digits, 18 digits after the point ("0.500000000000000000").
std::string FormatExtendedFixed(const unsigned char (&bytes)[10]);

// General form with up to `precision` significant digits: fixed notation
// unless the exponent is too large or too small ("0.25", "1E20", "1.5E-7").
std::string FormatGeneral(double value, int precision = 15);

// A currency value held as the value times 10000, in general form with up to
// 15 significant digits, computed in decimal so that no binary rounding enters.
std::string FormatCurrency(std::int64_t timesTenThousand);

} // namespace sorvak::formtext
