#pragma once

#include <cstdint>
#include <string_view>

namespace xingfan::ui {

// The number at the start of a GBK text, as typed into a box: full-width forms count as their
// ASCII twins (A3 A1..A3 FE, the ideographic space A1 A1, A1 AB as "~", A1 EE and A1 EF as "*"),
// leading white space is skipped, one sign may follow, then the decimal digits up to the first
// other character. No digit gives 0; a value beyond 32 bits stops at the nearest limit.
std::int32_t textToInteger(std::string_view text);

}  // namespace xingfan::ui
