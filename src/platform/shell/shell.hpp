#pragma once

#include <string_view>

namespace xingfan::platform::shell {

// Opens a GBK web address in the user's default web browser and returns at once; the outcome is
// ignored. Surrounding white space is dropped and an address without a scheme is taken as http.
// Only http and https addresses are opened: the addresses come partly from the letter service,
// and a local path or any other scheme would let it start programs on this machine. An empty or
// unusable address opens nothing.
void openAddress(std::string_view address);

}  // namespace xingfan::platform::shell
