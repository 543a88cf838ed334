// The reading page's cut: the first input byte picks the kind (0 to 3), the rest is the reply.
// Kinds 1 and 2 give two fields, each the stretch of the reply (read up to its first NUL) that
// follows the first occurrence of its marker up to the next "<br />"; other kinds give nothing.
#include "letters/reading_page.hpp"
#include "text/gbk_search.hpp"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool holds)
{
    if (!holds)
        std::abort();
}

constexpr std::string_view kBreak = "<br />";

// A field cut from `text` after `marker`: a stretch of the text without NUL, in which no
// "<br />" begins at a character boundary; when the marker is there and a "<br />" follows it,
// exactly the bytes in between.
void checkField(std::string_view text, std::string_view marker, const std::string& field)
{
    using xingfan::text::findText;
    require(field.find('\0') == std::string::npos);
    require(text.find(field) != std::string_view::npos);
    require(findText(field, kBreak) == -1);
    const int at = findText(text, marker);
    if (at < 1)
        return;
    const int start = at + static_cast<int>(marker.size());
    const int end = findText(text, kBreak, start);
    if (end >= start)
        require(field == text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start)));
    else
        require(field.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::int32_t kind = data[0] % 4;
    const std::string_view reply(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view text = reply.substr(0, reply.find('\0'));

    const auto fields = xingfan::letters::cutReadingReply(reply, kind);
    require(fields.has_value() == (kind == 1 || kind == 2));
    if (!fields)
        return 0;
    checkField(text, kind == 1 ? "\xEA\xC7\xB3\xC6\xA3\xBA" : "\xB1\xEA\xCC\xE2\xA3\xBA", fields->title);
    checkField(text, "\xC4\xDA\xC8\xDD\xA3\xBA", fields->content);
    return 0;
}
