#include "window_fixture.hpp"

#include "support/loopback_server.hpp"

#include <QHostAddress>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QWebEngineView>

namespace xingfan::ui::testing {

namespace {

struct ButtonCase {
    const char16_t* name;
    const char16_t* caption;
    int page;
    int left;
    int width;
    const char16_t* afterHost;  // exactly what follows the host
};

const QString kXunleiSearch =
    QStringLiteral("/custom?newwindow=1&sitesearch=kuai.xunlei.com&q=&btnG=Google+%E6%90%9C%E7%B4%A2");

// Each page's buttons from left to right.
const ButtonCase kButtons[] = {
    {u"超级按钮20", u"BTdigg", 0, 0, 65, u"/"},
    {u"超级按钮21", u"ED2000", 0, 65, 65, u"/"},
    {u"超级按钮23", u"磁力搜索", 0, 130, 65, u"/"},
    {u"超级按钮22", u"iVerycd", 0, 195, 65, u"/"},
    {u"超级按钮26", u"btspread", 0, 260, 65, u"/search"},
    {u"超级按钮25", u"人人影视", 0, 325, 65, u"/"},
    {u"超级按钮24", u"百度网盘", 0, 390, 65, u"/"},
    {u"超级按钮27", u"BT天堂", 1, 0, 64, u"/"},
    {u"超级按钮28", u"IMAX.IM", 1, 64, 64, u"/"},
    {u"超级按钮29", u"电影天堂", 1, 128, 64, u"/"},
    {u"超级按钮32", u"电影FM", 1, 192, 64, u"/"},
    {u"超级按钮31", u"SimpleCD", 1, 256, 64, u"/"},
    {u"超级按钮30", u"搬运工", 1, 320, 64, u"/"},
    {u"超级按钮38", u"手机电影", 1, 384, 64, u"/"},
    {u"超级按钮37", u"龙部落", 1, 448, 64, u"/"},
    {u"超级按钮36", u"迅雷快传", 1, 512, 64, nullptr},
    {u"超级按钮35", u"YY下载站", 1, 576, 64, u"/"},
    {u"超级按钮34", u"老调网", 1, 640, 64, u"/"},
    {u"超级按钮33", u"oaBT", 1, 704, 64, u"/"},
    {u"超级按钮40", u"逛电驴", 1, 768, 64, u""},
    {u"超级按钮39", u"射手字幕", 1, 832, 64, u""},
    {u"超级按钮41", u"极影动漫", 2, 1, 65, u"/"},
    {u"超级按钮42", u"36dm", 2, 66, 65, u"/"},
    {u"超级按钮44", u"幻樱动漫", 2, 131, 65, u"/"},
    {u"超级按钮43", u"leopard", 2, 196, 65, u"/index.php"},
    {u"超级按钮46", u"Nyaa", 2, 261, 65, u"/"},
    {u"超级按钮45", u"Tokyo", 2, 326, 65, u""},
    {u"超级按钮47", u"绿软家园", 3, 1, 65, u"/default.html"},
    {u"超级按钮48", u"非凡软件站", 3, 66, 65, u"/default.html"},
    {u"超级按钮50", u"太平洋下载", 3, 131, 65, u""},
    {u"超级按钮49", u"游侠资源站", 3, 196, 65, u"/"},
    {u"超级按钮51", u"3DMAGE", 3, 261, 65, u"/"},
    {u"超级按钮52", u"豆瓣评分", 4, 0, 65, u"/"},
    {u"超级按钮53", u"百度文库", 4, 65, 65, u"/"},
    {u"超级按钮55", u"新浪爱问", 4, 130, 65, u"/"},
    {u"超级按钮54", u"迅雷云播", 4, 195, 65, u"/home.html"},
};

// "http://" and a host, with nothing after the host.
QString hostPart(const QString& address)
{
    const qsizetype end = address.indexOf(QLatin1Char('/'), 7);
    return address.left(end < 0 ? address.size() : end);
}

bool isIpv4Literal(const QString& host)
{
    QHostAddress address;
    return address.setAddress(host) && address.protocol() == QAbstractSocket::IPv4Protocol;
}

}  // namespace

TEST_F(WindowTest, EverySiteButtonSendsTheMainBrowserToItsDestination)
{
    openWindow();
    QMap<QString, QString> destinations;  // button name -> address the browser was sent to
    for (const ButtonCase& c : kButtons) {
        const QString name = QString::fromUtf16(c.name);
        SCOPED_TRACE(name.toStdString());
        auto* button = window_->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf16(c.caption));
        EXPECT_EQ(button->parentWidget(), window_->findChild<QWidget*>(QStringLiteral("页面%1").arg(c.page)));
        EXPECT_EQ(QRect(button->mapTo(window_.get(), QPoint(0, 0)), button->size()), QRect(c.left, 25, c.width, 35));

        selectPage(c.page);
        ASSERT_TRUE(button->isVisible());
        // White text on the row's grey.
        const QImage look = button->grab().toImage();
        EXPECT_EQ(look.pixelColor(1, 1), QColor(96, 96, 96));
        EXPECT_TRUE(look.allGray());
        EXPECT_GT(countPixels(button, Qt::white), 0);
        QTest::mouseClick(button, Qt::LeftButton);

        // The address is set exactly as stored; the request itself carries the canonical form,
        // in which an address that ends with its host gets the path "/".
        const QString address = mainBrowser()->url().toString(QUrl::FullyEncoded);
        destinations.insert(name, address);
        const QString host = hostPart(address);
        ASSERT_TRUE(address.startsWith(QStringLiteral("http://")));
        ASSERT_GT(host.size(), 7);
        if (c.afterHost)
            EXPECT_EQ(address.mid(host.size()), QString::fromUtf16(c.afterHost));
        else
            EXPECT_EQ(address.mid(host.size()), kXunleiSearch);
        const QString requested = c.afterHost && !*c.afterHost ? address + QLatin1Char('/') : address;
        EXPECT_TRUE(waitForRequest(QUrl(requested)));
    }

    // "ED2000" and "百度网盘" show the search engine's front page by its numeric address, and
    // "迅雷快传" searches through the same address; every other button goes somewhere of its own.
    const QString engine = destinations.value(QStringLiteral("超级按钮21"));
    EXPECT_EQ(destinations.value(QStringLiteral("超级按钮24")), engine);
    EXPECT_TRUE(isIpv4Literal(QUrl(engine).host())) << engine.toStdString();
    EXPECT_EQ(hostPart(destinations.value(QStringLiteral("超级按钮36"))), hostPart(engine));
    const QList<QString> all = destinations.values();
    EXPECT_EQ(QSet<QString>(all.begin(), all.end()).size(), 35);
}

TEST_F(WindowTest, SiteButtonsAreTheOnlyButtonsAndStandInRowOrder)
{
    openWindow();
    for (int page = 0; page < 6; ++page) {
        SCOPED_TRACE(page);
        QWidget* pageWidget = window_->findChild<QWidget*>(QStringLiteral("页面%1").arg(page));
        ASSERT_NE(pageWidget, nullptr);
        QStringList shown;
        for (auto* button : pageWidget->findChildren<QPushButton*>())
            shown.append(button->objectName());
        QStringList expected;
        for (const ButtonCase& c : kButtons)
            if (c.page == page)
                expected.append(QString::fromUtf16(c.name));
        EXPECT_EQ(shown, expected);
    }
}

TEST_F(WindowTest, ClickWhileLoadingAbandonsThePageForTheDestination)
{
    openWindow();
    // A page that never arrives.
    testsupport::LoopbackServer server;
    server.enqueue(testsupport::ScriptedReply{.silent = true});
    const QUrl slow(QString::fromStdString(server.url("/slow.html")));
    mainBrowser()->setUrl(slow);
    ASSERT_TRUE(waitForRequest(slow));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests().size() == 1; }));

    selectPage(2);
    QTest::mouseClick(control(QStringLiteral("超级按钮43")), Qt::LeftButton);
    const QUrl destination = mainBrowser()->url();
    EXPECT_TRUE(destination.toString().endsWith(QStringLiteral("/index.php")));
    EXPECT_TRUE(waitForRequest(destination));
    EXPECT_TRUE(waitForMainPage(destination));
    EXPECT_FALSE(finishedLoads_.contains(slow));
}

}  // namespace xingfan::ui::testing
