#pragma once

#include <string_view>

namespace xingfan::platform::shell {

// Opens a GBK address in the user's default web browser and returns at once; the outcome is
// ignored, and an empty or unusable address opens nothing.
void openAddress(std::string_view address);

}  // namespace xingfan::platform::shell
