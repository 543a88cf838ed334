#include "ui/resources/main_browser_page.hpp"

#include <QUrl>

namespace xingfan::ui {

MainBrowserPage::MainBrowserPage(QObject* parent) : QWebEnginePage(parent)
{
    connect(this, &QWebEnginePage::linkHovered, this, [this](const QString& address) { statusText_ = address; });
}

QWebEnginePage* MainBrowserPage::createWindow(WebWindowType)
{
    // Taken without any check: an empty text or one that is no address is followed as well.
    setUrl(QUrl(statusText_));
    return nullptr;  // vetoes the new window, whatever it was for
}

}  // namespace xingfan::ui
