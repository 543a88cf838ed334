#include "window_fixture.hpp"

#include "config/addresses.hpp"
#include "ui/resources/hyperlink_box.hpp"
#include "ui/resources/tab_control.hpp"

#include <QApplication>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QWebEngineView>

namespace xingfan::ui::testing {

namespace {

const QString kHelpLine = QStringLiteral(
    "使用帮助：打开软件后，会弹出脚本错误，选择是即可。然后选择类型，点击按钮，自动打开网页，点击后请等待3-6秒钟即可");

const QColor kFrameGrey(96, 96, 96);

enum class Look { RedText, DarkBar, BlueText };

struct ControlCase {
    const char16_t* name;
    int page;
    QRect place;
    const char16_t* text;  // nullptr: the help line
    Look look;
};

const ControlCase kControls[] = {
    {u"透明标签10", 0, {320, 1, 688, 16}, nullptr, Look::RedText},
    {u"标签1", 0, {455, 25, 561, 35}, u"标签", Look::DarkBar},
    {u"透明标签3", 1, {320, 1, 688, 16}, nullptr, Look::RedText},
    {u"标签5", 1, {896, 25, 120, 35}, u"", Look::DarkBar},
    {u"透明标签4", 2, {320, 1, 688, 16}, nullptr, Look::RedText},
    {u"标签2", 2, {391, 25, 625, 35}, u"", Look::DarkBar},
    {u"透明标签5", 3, {320, 1, 688, 16}, nullptr, Look::RedText},
    {u"标签3", 3, {326, 25, 690, 35}, u"", Look::DarkBar},
    {u"透明标签6", 4, {320, 1, 688, 16}, nullptr, Look::RedText},
    {u"标签4", 4, {260, 25, 756, 35}, u"", Look::DarkBar},
    {u"透明标签1", 5, {7, 30, 1009, 11},
     u"没事的时候可以支持一下作者，通过作者提供的链接，注册后完成新人任务。完成新人任务后，您即可获得1QB，最多1个小时就完成了。\n",
     Look::RedText},
    {u"透明标签2", 5, {8, 40, 352, 24}, u"除了新人任务外，当您赚够金蛋后，还可获得点卡和实物奖励哦！", Look::RedText},
    {u"超级链接框1", 5, {406, 47, 184, 11}, u"点击此处注册", Look::BlueText},
};

}  // namespace

TEST_F(WindowTest, WindowAndTabControlAreAsDesigned)
{
    openWindow();
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("星帆导航1.2"));
    EXPECT_EQ(window_->size(), QSize(1018, 713));
    const Qt::WindowFlags flags = window_->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));

    auto* tabs = window_->findChild<TabControl*>(QStringLiteral("高级选择夹7"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->geometry(), QRect(0, 0, 1016, 64));
    const QStringList captions{QStringLiteral("综合"), QStringLiteral("影视"), QStringLiteral("动漫"),
                               QStringLiteral("软件"), QStringLiteral("其他"), QStringLiteral("支持作者")};
    ASSERT_EQ(tabs->count(), captions.size());
    ASSERT_EQ(tabs->tabBar()->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i)
        EXPECT_EQ(tabs->tabBar()->tabText(i), captions[i]) << i;
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(tabs->tabBar()->currentIndex(), 0);

    const QFont font = tabs->tabBar()->font();
    EXPECT_EQ(font.family(), QStringLiteral("宋体"));
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(font.weight(), QFont::Normal);
    // The tabs end before the help line and above the button row.
    const QRect strip = tabs->tabBar()->geometry();
    EXPECT_LE(strip.right(), 320);
    EXPECT_LE(strip.bottom(), 25);
    EXPECT_GT(countPixels(tabs, kFrameGrey), 0);
}

TEST_F(WindowTest, PagesHoldTheirControlsWhereDesigned)
{
    openWindow();
    auto* tabs = window_->findChild<TabControl*>(QStringLiteral("高级选择夹7"));
    for (const ControlCase& c : kControls) {
        const QString name = QString::fromUtf16(c.name);
        SCOPED_TRACE(name.toStdString());
        auto* label = window_->findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->parentWidget(), tabs->widget(c.page));
        // Places are relative to the tab control's corner, which is the window's.
        EXPECT_EQ(QRect(label->mapTo(window_.get(), QPoint(0, 0)), label->size()), c.place);
        EXPECT_EQ(label->text(), c.text ? QString::fromUtf16(c.text) : kHelpLine);

        selectPage(c.page);
        ASSERT_EQ(tabs->currentIndex(), c.page);
        EXPECT_TRUE(label->isVisible());
        EXPECT_FALSE(label->visibleRegion().isEmpty()) << "covered or clipped";
        switch (c.look) {
        case Look::RedText:
            EXPECT_GT(countPixels(label, QColor(255, 0, 0)), 0);
            break;
        case Look::BlueText:
            EXPECT_GT(countPixels(label, QColor(0, 0, 255)), 0);
            break;
        case Look::DarkBar:
            // The caption of 标签1 is drawn in the background colour, so that nothing shows.
            EXPECT_EQ(countPixels(label, kFrameGrey), label->width() * label->height());
            break;
        }
    }
    // The other pages' controls are hidden.
    selectPage(5);
    EXPECT_FALSE(control(QStringLiteral("透明标签10"))->isVisible());
    EXPECT_TRUE(control(QStringLiteral("超级链接框1"))->isVisible());
}

TEST_F(WindowTest, BrowsersArePlacedAndFollowTheSize)
{
    openWindow();
    // Fitted under the tab strip, scroll bars and all.
    EXPECT_EQ(mainBrowser()->geometry(), QRect(1, 64, 1016, 649));
    // Below the client area.
    EXPECT_EQ(hiddenBrowser()->geometry(), QRect(-8, 1200, 544, 224));
    EXPECT_EQ(hiddenBrowser()->url(), hiddenPage_);

    const QRect tabs = control(QStringLiteral("高级选择夹7"))->geometry();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        window_->showMaximized();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window_->isMaximized() && window_->size() != ResourceWindow::kDesignSize; }));
        EXPECT_EQ(mainBrowser()->geometry(), QRect(1, 64, window_->width() - 2, window_->height() - 64));
        EXPECT_EQ(control(QStringLiteral("高级选择夹7"))->geometry(), tabs);

        window_->showNormal();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->isMaximized() && window_->size() == ResourceWindow::kDesignSize; }));
        EXPECT_EQ(mainBrowser()->geometry(), QRect(1, 64, 1016, 649));
    }
    EXPECT_EQ(mainBrowser()->url(), startPage_);
}

TEST_F(WindowTest, SupportPageLeavesTheBrowserAlone)
{
    openWindow();
    QSignalSpy loads(mainBrowser(), &QWebEngineView::loadStarted);
    requests_.pages.clear();
    selectPage(5);
    EXPECT_EQ(control(QStringLiteral("高级选择夹7"))->property("currentIndex").toInt(), 5);
    QTest::qWait(300);
    EXPECT_EQ(loads.count(), 0);
    EXPECT_TRUE(requests_.pages.isEmpty());
    EXPECT_EQ(mainBrowser()->url(), startPage_);
}

// Receives what QDesktopServices would hand to the default browser.
class BrowserStandIn : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url); }
};

TEST_F(WindowTest, HyperlinkBoxOpensTheReferralPageInTheDefaultBrowser)
{
    openWindow();
    BrowserStandIn browser;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
    selectPage(5);
    auto* link = window_->findChild<HyperlinkBox*>(QStringLiteral("超级链接框1"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), HyperlinkBox::kLinkColor);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(link, &enter);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), HyperlinkBox::kHoverColor);

    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(5, 5));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    const std::string_view referral = config::kReferralPage;
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(browser.opened.front().toString().toStdString(), referral);
    EXPECT_EQ(mainBrowser()->url(), startPage_);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), HyperlinkBox::kLinkColor);
}

enum class FocusOn { Window, SiteButton, MainBrowser };

struct EscapeCase {
    const char* name;
    FocusOn focusOn;
    bool closes;
};

void PrintTo(const EscapeCase& c, std::ostream* out)
{
    *out << c.name;
}

class EscapeTest : public WindowTest, public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(EscapeTest, ClosesUnlessABrowserHasTheFocus)
{
    const auto [name, focusOn, closes] = GetParam();
    openWindow();
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QWidget* target = window_.get();
    if (focusOn == FocusOn::SiteButton)
        target = control(QStringLiteral("超级按钮20"));
    else if (focusOn == FocusOn::MainBrowser)
        target = mainBrowser()->focusProxy();
    ASSERT_NE(target, nullptr);
    target->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == target; }));

    QTest::keyClick(target, Qt::Key_Escape);
    QTest::qWait(300);  // a browser hands unused keys back asynchronously
    EXPECT_EQ(window_->isVisible(), !closes);
}

INSTANTIATE_TEST_SUITE_P(Focus, EscapeTest,
                         ::testing::Values(EscapeCase{"Window", FocusOn::Window, true},
                                           EscapeCase{"SiteButton", FocusOn::SiteButton, true},
                                           EscapeCase{"MainBrowser", FocusOn::MainBrowser, false}),
                         [](const ::testing::TestParamInfo<EscapeCase>& info) { return std::string(info.param.name); });

}  // namespace xingfan::ui::testing

#include "resource_window_test.moc"
