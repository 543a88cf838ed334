#include "net/request_handoff.hpp"

#include <cstring>

namespace xingfan::net {
namespace {

// Each value is its byte count (host order, fixed width) followed by its bytes.
using Length = std::uint64_t;

}  // namespace

void RequestHandoff::clear()
{
    data_.clear();
    position_ = 0;
}

void RequestHandoff::writeText(std::string_view text)
{
    write(text.substr(0, text.find('\0')));
}

void RequestHandoff::writeBytes(std::string_view bytes)
{
    write(bytes);
}

void RequestHandoff::write(std::string_view bytes)
{
    data_.resize(position_);
    const Length length = bytes.size();
    data_.resize(position_ + sizeof length + bytes.size());
    std::memcpy(data_.data() + position_, &length, sizeof length);
    if (!bytes.empty())
        std::memcpy(data_.data() + position_ + sizeof length, bytes.data(), bytes.size());
    position_ = data_.size();
}

std::string RequestHandoff::readBytes()
{
    Length length = 0;
    if (data_.size() - position_ < sizeof length)
        return {};
    std::memcpy(&length, data_.data() + position_, sizeof length);
    const std::size_t start = position_ + sizeof length;
    if (data_.size() - start < length)
        return {};
    position_ = start + length;
    return std::string(data_.data() + start, length);
}

std::string RequestHandoff::readText()
{
    std::string value = readBytes();
    value.resize(std::strlen(value.c_str()));
    return value;
}

}  // namespace xingfan::net
