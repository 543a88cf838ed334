#include "window_fixture.hpp"

#include "ui/resources/tab_control.hpp"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QTabBar>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace xingfan::ui::testing {

namespace {

constexpr int kLoadTimeoutMs = 30000;

}  // namespace

int countPixels(QWidget* widget, const QColor& colour)
{
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
    return count;
}

void PageRequests::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const QUrl url = info.requestUrl();
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
        pages.append(url);
    const bool local = url.isLocalFile() || url.host() == QStringLiteral("127.0.0.1");
    if (!local)
        info.block(true);
}

void WindowTest::SetUp()
{
    ASSERT_TRUE(pageFolder_.isValid());
    QWebEngineProfile::defaultProfile()->setUrlRequestInterceptor(&requests_);
    startPage_ = writePage(QStringLiteral("start.html"), "<html><head><title>start</title></head><body>start</body></html>");
    hiddenPage_ = writePage(QStringLiteral("hidden.html"), "<html><body>search results</body></html>");
}

void WindowTest::TearDown()
{
    window_.reset();
    QWebEngineProfile::defaultProfile()->setUrlRequestInterceptor(nullptr);
}

QUrl WindowTest::writePage(const QString& name, const QByteArray& html)
{
    QFile file(pageFolder_.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(html);
    return QUrl::fromLocalFile(file.fileName());
}

void WindowTest::openWindow(const QUrl& mainStart)
{
    window_ = std::make_unique<ResourceWindow>(StartAddresses{mainStart, hiddenPage_});
    QWebEngineView* view = mainBrowser();
    QObject::connect(view, &QWebEngineView::loadFinished, view, [this, view] { finishedLoads_.append(view->url()); });
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    ASSERT_TRUE(waitForMainPage(mainStart));
}

void WindowTest::openWindow()
{
    openWindow(startPage_);
}

QWebEngineView* WindowTest::mainBrowser() const
{
    return window_->findChild<QWebEngineView*>(QStringLiteral("超文本浏览框1"));
}

QWebEngineView* WindowTest::hiddenBrowser() const
{
    return window_->findChild<QWebEngineView*>(QStringLiteral("超文本浏览框2"));
}

QWidget* WindowTest::control(const QString& name) const
{
    return window_->findChild<QWidget*>(name);
}

void WindowTest::selectPage(int index)
{
    auto* tabs = window_->findChild<TabControl*>(QStringLiteral("高级选择夹7"));
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(index).center());
}

bool WindowTest::waitForMainPage(const QUrl& url)
{
    return QTest::qWaitFor([&] { return finishedLoads_.contains(url); }, kLoadTimeoutMs);
}

bool WindowTest::waitForRequest(const QUrl& url)
{
    return QTest::qWaitFor([&] { return requests_.pages.contains(url); }, kLoadTimeoutMs);
}

}  // namespace xingfan::ui::testing
