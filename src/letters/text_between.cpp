#include "letters/letters.hpp"

#include "text/gbk_search.hpp"

namespace xingfan::letters {

// Positions are 1-based as findText counts them. A missing `left` is not special-cased: S then
// lands on len(left) - 1, which is how the service's pages have always been cut.
std::string textBetween(std::string_view text, std::string_view left, std::string_view right)
{
    const int leftAt = text::findText(text, left, 1);
    const long long start = static_cast<long long>(leftAt) + static_cast<long long>(left.size());
    if (start < 1 || start > static_cast<long long>(text.size()))
        return {};
    const int rightAt = text::findText(text, right, static_cast<int>(start));
    const long long length = static_cast<long long>(rightAt) - start;
    if (length <= 0)
        return {};
    return std::string(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length)));
}

}  // namespace xingfan::letters
