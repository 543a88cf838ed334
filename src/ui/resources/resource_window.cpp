#include "ui/resources/resource_window.hpp"

#include "config/addresses.hpp"
#include "platform/shell/shell.hpp"
#include "ui/resources/hyperlink_box.hpp"
#include "ui/resources/main_browser_page.hpp"
#include "ui/resources/site_catalogue.hpp"
#include "ui_resources.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

namespace xingfan::ui {

namespace {

QUrl urlOf(std::string_view address)
{
    return QUrl(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())));
}

// The tab strip and the pages above the main browser take the client area's top 64 pixels.
constexpr int kTabControlHeight = 64;

}  // namespace

StartAddresses builtInStartAddresses()
{
    return {urlOf(config::kStartPage),
            QUrl(QStringLiteral("http://www.baidu.com/s?wd=%E6%98%9F%E5%B8%86%E5%AF%BC%E8%88%AA"))};
}

ResourceWindow::ResourceWindow(const StartAddresses& start, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::ResourceWindow>())
{
    ui_->setupUi(this);
    // A close box and a maximize box, no minimize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    ui_->超文本浏览框1->setPage(new MainBrowserPage(ui_->超文本浏览框1));
    ui_->超文本浏览框1->setUrl(start.mainBrowser);
    ui_->超文本浏览框2->setUrl(start.hiddenBrowser);
    connect(ui_->超级链接框1, &HyperlinkBox::clicked, this,
            [] { platform::shell::openAddress(config::kReferralPage); });

    addSiteButtons();
    placeMainBrowser();
    centreOnScreen();
}

ResourceWindow::~ResourceWindow() = default;

void ResourceWindow::addSiteButtons()
{
    for (const SiteEntry& entry : kSiteCatalogue) {
        auto* button = new QPushButton(entry.caption.toString(), ui_->高级选择夹7->widget(entry.page));
        button->setObjectName(entry.name.toString());
        button->setGeometry(entry.left, kSiteButtonTop, siteButtonWidth(entry.page), kSiteButtonHeight);
        // Clicking the button of the page already shown navigates there again.
        connect(button, &QPushButton::clicked, this,
                [this, destination = QUrl(entry.destination.toString())] { ui_->超文本浏览框1->setUrl(destination); });
    }
}

void ResourceWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeMainBrowser();
}

void ResourceWindow::placeMainBrowser()
{
    // The whole client area under the tab strip, one pixel in from the sides, so that neither
    // the page nor its scroll bars are cut off at any size.
    ui_->超文本浏览框1->setGeometry(1, kTabControlHeight, width() - 2, height() - kTabControlHeight);
}

void ResourceWindow::centreOnScreen()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    move(screen.x() + (screen.width() - kDesignOuterSize.width()) / 2,
         screen.y() + (screen.height() - kDesignOuterSize.height()) / 2);
}

bool ResourceWindow::browserHasFocus() const
{
    const QWidget* focus = QApplication::focusWidget();
    // A widget counts as its own ancestor here.
    return ui_->超文本浏览框1->isAncestorOf(focus) || ui_->超文本浏览框2->isAncestorOf(focus);
}

void ResourceWindow::keyPressEvent(QKeyEvent* event)
{
    // Esc closes the window like the close box, except that a browser with the focus keeps the
    // key: the browser hands back keys its page did not use, Esc among them.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && !browserHasFocus()) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace xingfan::ui
