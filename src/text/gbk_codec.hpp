#pragma once

#include <QString>

#include <string>
#include <string_view>

// The one place where GBK bytes meet Qt's Unicode strings: the windows convert here, every
// layer below them keeps the bytes.
namespace xingfan::text {

QString fromGbk(std::string_view bytes);
std::string toGbk(const QString& text);

}  // namespace xingfan::text
