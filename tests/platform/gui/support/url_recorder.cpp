#include "url_recorder.hpp"

#include <QDesktopServices>

namespace xingfan::testing {

UrlRecorder::UrlRecorder()
    : schemes_{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file"), QStringLiteral("ftp"),
               QStringLiteral("mailto"), QStringLiteral("javascript"), QString()}
{
    for (const QString& scheme : schemes_)
        QDesktopServices::setUrlHandler(scheme, this, "open");
}

UrlRecorder::~UrlRecorder()
{
    for (const QString& scheme : schemes_)
        QDesktopServices::unsetUrlHandler(scheme);
}

void UrlRecorder::open(const QUrl& url)
{
    opened.append(url);
    if (whenOpened)
        whenOpened(url);
}

}  // namespace xingfan::testing
