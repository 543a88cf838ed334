#include "platform/shell/shell.hpp"

#include "text/gbk_codec.hpp"

#include <QDesktopServices>
#include <QUrl>

namespace xingfan::platform::shell {

void openAddress(std::string_view address)
{
    const QString text = text::fromGbk(address).trimmed();
    if (text.isEmpty())
        return;
    // A local path becomes a file address here and is turned away with every other scheme.
    const QUrl url = QUrl::fromUserInput(text);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return;
    QDesktopServices::openUrl(url);
}

}  // namespace xingfan::platform::shell
