#pragma once

#include <cstdlib>
#include <string>

namespace xingfan::letters::testing {

// Points the letter client at `base` (XINGFAN_LETTER_SERVICE) while this object lives. Set before
// any request starts, so no worker thread reads the environment while it changes.
class ServiceBaseOverride {
public:
    explicit ServiceBaseOverride(const std::string& base) { ::setenv("XINGFAN_LETTER_SERVICE", base.c_str(), 1); }
    ~ServiceBaseOverride() { ::unsetenv("XINGFAN_LETTER_SERVICE"); }
    ServiceBaseOverride(const ServiceBaseOverride&) = delete;
    ServiceBaseOverride& operator=(const ServiceBaseOverride&) = delete;
};

}  // namespace xingfan::letters::testing
