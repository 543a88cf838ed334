#include "app/start_application.hpp"

#include "app/program_state.hpp"
#include "config/addresses.hpp"
#include "loopback_server.hpp"
#include "text/gbk_codec.hpp"
#include "url_recorder.hpp"

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace {

using xingfan::testsupport::httpReply;
using xingfan::testsupport::LoopbackServer;

std::string gbk(const char* utf8)
{
    return xingfan::text::toGbk(QString::fromUtf8(utf8));
}

QUrl urlOf(std::string_view address)
{
    return QUrl(QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size())));
}

QWidget* shownLauncher()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window->isVisible() && window->windowTitle() == QStringLiteral("星帆导航V1.2"))
            return window;
    }
    return nullptr;
}

// Watches the running program from inside its event loops, as a user at the screen would.
class Watcher {
public:
    explicit Watcher(std::function<bool()> step)
    {
        timer_.callOnTimeout(&context_, [this, step = std::move(step)] {
            if (step())
                timer_.stop();
        });
        timer_.start(10);
    }

private:
    QObject context_;
    QTimer timer_;
};

class StartApplication : public ::testing::Test {
protected:
    void TearDown() override { qunsetenv("XINGFAN_LETTER_SERVICE"); }

    xingfan::testing::UrlRecorder browser;
};

TEST_F(StartApplication, UnreachableServiceStillShowsTheLauncherAndEscEndsTheProgram)
{
    std::string closedBase;
    {
        LoopbackServer gone;
        closedBase = gone.url("/");
    }
    qputenv("XINGFAN_LETTER_SERVICE", closedBase.c_str());

    std::vector<bool> launcherShownWhenOpened;
    browser.whenOpened = [&](const QUrl&) { launcherShownWhenOpened.push_back(shownLauncher() != nullptr); };
    std::optional<QString> notice;
    bool stateWhileRunning = false;
    QPointer<QWidget> launcher;
    Watcher watcher([&] {
        launcher = shownLauncher();
        if (launcher.isNull())
            return false;
        notice = launcher->findChild<QPlainTextEdit*>(QStringLiteral("编辑框3"))->toPlainText();
        stateWhileRunning = xingfan::app::programState() != nullptr;
        QTest::keyClick(launcher, Qt::Key_Escape);
        return true;
    });

    EXPECT_EQ(xingfan::app::startApplication(), 0);

    ASSERT_TRUE(notice.has_value());
    EXPECT_TRUE(notice->isEmpty());
    EXPECT_EQ(browser.opened, QList<QUrl>{urlOf(xingfan::config::kReferralPage)});
    EXPECT_EQ(launcherShownWhenOpened, std::vector<bool>{false});
    EXPECT_TRUE(stateWhileRunning);
    // The launcher is gone and the program state released with it.
    EXPECT_TRUE(launcher.isNull());
    EXPECT_EQ(xingfan::app::programState(), nullptr);
}

TEST_F(StartApplication, NoticeOpensItsAddressAndShowsItsMessageBeforeTheLauncher)
{
    LoopbackServer server;
    server.enqueue(httpReply(200, "OK", "1"));
    server.enqueue(httpReply(200, "OK", "http://notice.xingfan.example/welcome.html"));
    server.enqueue(httpReply(200, "OK",
                             gbk("标题：星帆导航V1.2<br />内容：今日公告<br />作者a<br /><b>顺序12<br /></b>")));
    server.enqueue(httpReply(200, "OK", gbk("标题：星帆导航V1.2<br />内容：说明<br />")));
    const std::string base = server.url("/");
    qputenv("XINGFAN_LETTER_SERVICE", base.c_str());

    std::optional<QString> text, title;
    std::optional<QMessageBox::Icon> icon;
    bool launcherDuringMessage = true;
    qsizetype openedBeforeMessage = 0;
    std::optional<QString> notice;
    Watcher watcher([&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            launcherDuringMessage = shownLauncher() != nullptr;
            openedBeforeMessage = browser.opened.size();
            box->button(QMessageBox::Ok)->click();
            return false;
        }
        QWidget* launcher = shownLauncher();
        if (launcher == nullptr)
            return false;
        notice = launcher->findChild<QPlainTextEdit*>(QStringLiteral("编辑框3"))->toPlainText();
        QTest::keyClick(launcher, Qt::Key_Escape);
        return true;
    });

    EXPECT_EQ(xingfan::app::startApplication(), 0);

    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, QStringLiteral("欢迎访问墨林论坛，【免费版会不定时弹窗，请见谅!】"));
    EXPECT_EQ(*title, QStringLiteral("青简"));
    EXPECT_EQ(*icon, QMessageBox::Information);
    EXPECT_FALSE(launcherDuringMessage);
    EXPECT_EQ(openedBeforeMessage, 1);
    EXPECT_EQ(browser.opened, (QList<QUrl>{QUrl(QStringLiteral("http://notice.xingfan.example/welcome.html")),
                                          urlOf(xingfan::config::kReferralPage)}));
    EXPECT_EQ(notice, QStringLiteral("今日公告"));
    EXPECT_EQ(server.requests().size(), 4u);
}

}  // namespace
