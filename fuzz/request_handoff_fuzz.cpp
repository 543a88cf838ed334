// Values written into the hand-off record come back exactly: texts up to their first NUL, byte
// buffers whole; reading past the end gives empty values.
#include "net/request_handoff.hpp"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The input is cut into values at 0x01 bytes; a value's first byte picks text or bytes.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    struct Value {
        bool isText;
        std::string bytes;
    };
    std::vector<Value> values;
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\x01', start);
        if (end == std::string_view::npos)
            end = input.size();
        const std::string_view piece = input.substr(start, end - start);
        const bool isText = !piece.empty() && (static_cast<unsigned char>(piece.front()) & 1) != 0;
        values.push_back({isText, std::string(piece)});
        start = end + 1;
    }

    xingfan::net::RequestHandoff record;
    for (const Value& value : values) {
        if (value.isText)
            record.writeText(value.bytes);
        else
            record.writeBytes(value.bytes);
    }
    record.rewind();
    for (const Value& value : values) {
        const std::string read = value.isText ? record.readText() : record.readBytes();
        const std::string expected = value.isText ? value.bytes.substr(0, value.bytes.find('\0')) : value.bytes;
        if (read != expected)
            std::abort();
    }
    if (!record.readText().empty() || !record.readBytes().empty())
        std::abort();
    return 0;
}
