#include "window_fixture.hpp"

#include "config/addresses.hpp"
#include "platform/gui/gui.hpp"
#include "ui/resources/tab_control.hpp"

#include <QApplication>
#include <QPointer>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <functional>

namespace xingfan::ui::testing {

namespace {

struct Opening {
    int page = -1;
    QUrl address;
    QPointer<QWebEngineView> mainBrowser;
    QPointer<QWebEngineView> hiddenBrowser;
};

// Opens the resource window the way the version gate does; once it is shown, notes what it
// shows, runs `use` on it and closes it with its close box.
Opening openAndClose(const std::function<void(ResourceWindow&)>& use)
{
    Opening seen;
    QTimer::singleShot(0, qApp, [&] {
        ResourceWindow* window = nullptr;
        for (QWidget* topLevel : QApplication::topLevelWidgets())
            window = window ? window : qobject_cast<ResourceWindow*>(topLevel);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        auto* tabs = window->findChild<TabControl*>(QStringLiteral("高级选择夹7"));
        seen.page = tabs->currentIndex();
        seen.mainBrowser = window->findChild<QWebEngineView*>(QStringLiteral("超文本浏览框1"));
        seen.hiddenBrowser = window->findChild<QWebEngineView*>(QStringLiteral("超文本浏览框2"));
        seen.address = seen.mainBrowser->url();
        use(*window);
        window->close();
    });
    {
        // As the version gate opens it: a new window, in dialog mode, destroyed once closed.
        ResourceWindow window;
        platform::gui::runDialog(window);
    }
    return seen;
}

}  // namespace

TEST_F(WindowTest, EachOpeningStartsAfreshAndClosingDestroysBothBrowsers)
{
    const QUrl start(QString::fromUtf8(config::kStartPage.data(), static_cast<qsizetype>(config::kStartPage.size())));
    const Opening first = openAndClose([&](ResourceWindow& window) {
        // Leaves it on another page and another site.
        auto* tabs = window.findChild<TabControl*>(QStringLiteral("高级选择夹7"));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(3).center());
        QTest::mouseClick(window.findChild<QWidget*>(QStringLiteral("超级按钮48")), Qt::LeftButton);
        EXPECT_EQ(tabs->currentIndex(), 3);
        EXPECT_NE(window.findChild<QWebEngineView*>(QStringLiteral("超文本浏览框1"))->url(), start);
    });
    EXPECT_EQ(first.page, 0);
    EXPECT_EQ(first.address, start);
    EXPECT_TRUE(first.mainBrowser.isNull());
    EXPECT_TRUE(first.hiddenBrowser.isNull());

    const Opening second = openAndClose([](ResourceWindow&) {});
    EXPECT_EQ(second.page, 0);
    EXPECT_EQ(second.address, start);
    EXPECT_TRUE(second.mainBrowser.isNull());
}

}  // namespace xingfan::ui::testing
