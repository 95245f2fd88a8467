#pragma once
// The numbers of the settings file.
#include <cstdint>
#include <optional>
#include <string_view>

namespace sorvak {

// The integer rules of ReadInt: leading blanks, a sign, decimal digits in the
// signed 32-bit range or a "$", "x" or "0x" prefix with up to 32 bits of hex
// digits taken as two's complement; nothing may follow.
std::optional<std::int32_t> ParseIniInt(std::string_view text);

} // namespace sorvak
