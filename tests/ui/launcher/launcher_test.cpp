#include "ui/launcher/launcher.hpp"

#include "config/addresses.hpp"
#include "loopback_server.hpp"
#include "platform/gui/gui.hpp"
#include "text/gbk_codec.hpp"
#include "url_recorder.hpp"

#include <QApplication>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMovie>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using xingfan::testsupport::httpReply;
using xingfan::testsupport::LoopbackServer;
using xingfan::ui::Launcher;

// Test sources are UTF-8; the letter service speaks GBK.
std::string gbk(const char* utf8)
{
    return xingfan::text::toGbk(QString::fromUtf8(utf8));
}

QString qs(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QUrl urlOf(std::string_view address)
{
    return QUrl(QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size())));
}

struct Letter {
    const char* title;
    const char* content;
    const char* sequence;
};

// The listing page as the letter service writes it: one run per letter.
std::string listingPage(const std::vector<Letter>& letters)
{
    std::string page = gbk("<html><body>");
    for (const Letter& letter : letters) {
        page += gbk("标题：") + gbk(letter.title) + "<br />" + gbk("内容：") + gbk(letter.content) + "<br />"
                + gbk("作者") + "guest<br /><b>" + gbk("顺序") + gbk(letter.sequence) + "<br /></b>\r\n";
    }
    return page + "</body></html>";
}

std::string readingPage(const char* title, const char* content)
{
    return gbk("标题：") + gbk(title) + "<br />" + gbk("内容：") + gbk(content) + "<br />";
}

// The body of a recorded request.
std::string bodyOf(const std::string& request)
{
    const std::size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : request.substr(end + 4);
}

class LauncherTest : public ::testing::Test {
public:
    void SetUp() override { pointServiceAt(server.url("/")); }
    void TearDown() override { qunsetenv("XINGFAN_LETTER_SERVICE"); }

    static void pointServiceAt(const std::string& base) { qputenv("XINGFAN_LETTER_SERVICE", base.c_str()); }

    template <typename Control>
    Control& control(const char* name)
    {
        auto* found = launcher.findChild<Control*>(qs(name));
        if (found == nullptr)
            throw std::runtime_error(std::string("no control ") + name);
        return *found;
    }

    // Runs the created step against one listing page and one reading page.
    void create(const std::vector<Letter>& letters, const char* latestTitle = "星帆导航V1.2")
    {
        server.enqueue(httpReply(200, "OK", listingPage(letters)));
        server.enqueue(httpReply(200, "OK", readingPage(latestTitle, "更新说明")));
        launcher.onLauncherCreated();
    }

    QStringList listItems()
    {
        QStringList items;
        auto& list = control<QListWidget>("列表框1");
        for (int i = 0; i < list.count(); ++i)
            items << list.item(i)->text();
        return items;
    }

    xingfan::testing::UrlRecorder browser;
    LoopbackServer server;
    xingfan::letters::LetterList letterList;
    std::string latestVersionTitle;
    std::string latestLetterContent;
    int resourceOpenings = 0;
    std::function<void()> openResourceWindow = [this] { ++resourceOpenings; };
    Launcher launcher{{letterList, latestVersionTitle, latestLetterContent}, [this] { openResourceWindow(); }};
};

// ---- the window and its controls

struct Place {
    const char* name;
    const char* kind;
    QRect geometry;
    const char* text;
};

// In the order of creation, which is also the order of the children.
const std::vector<Place> kControls = {
    {"按钮4", "QPushButton", {167, 179, 82, 34}, "进入官网"},
    {"标签9", "QLabel", {8, 408, 72, 40}, "窗口标题"},
    {"标签8", "QLabel", {8, 368, 72, 40}, "窗口句柄"},
    {"标签7", "QLabel", {8, 528, 72, 40}, "信件内容"},
    {"标签6", "QLabel", {8, 472, 72, 40}, "信件序号"},
    {"编辑框7", "QLineEdit", {96, 408, 184, 32}, ""},
    {"编辑框6", "QLineEdit", {96, 376, 152, 24}, ""},
    {"编辑框5", "QLineEdit", {104, 464, 144, 40}, ""},
    {"按钮3", "QPushButton", {224, 608, 41, 26}, "查询"},
    {"编辑框3", "QPlainTextEdit", {0, 101, 247, 72}, ""},
    {"标签1", "QLabel", {120, 641, 80, 24}, "阅读内容："},
    {"标签3", "QLabel", {24, 640, 80, 24}, "已收到的信："},
    {"列表框1", "QListWidget", {264, 466, 128, 38}, ""},
    {"编辑框2", "QLineEdit", {177, 609, 43, 24}, "1"},
    {"标签2", "QLabel", {140, 610, 32, 24}, "页码："},
    {"编辑框1", "QLineEdit", {89, 608, 45, 24}, "1"},
    {"标签5", "QLabel", {19, 609, 64, 24}, "显示个数："},
    {"图片框1", "QLabel", {0, 0, 250, 100}, ""},
    {"透明标签1", "xingfan::ui::TransparentLabel", {22, 222, 216, 40}, "    软件不是最新版本请点击下载\n已是最新版本请点击已是最新版本按钮"},
    {"按钮2", "QPushButton", {84, 179, 82, 34}, "已是最新版本"},
    {"按钮1", "QPushButton", {1, 179, 82, 34}, "下载最新版本"},
    {"标签4", "QLabel", {111, 346, 121, 13}, "版本号："},
    {"编辑框4", "QPlainTextEdit", {107, 520, 247, 72}, ""},
};

QString textOf(QWidget& widget)
{
    if (auto* button = qobject_cast<QPushButton*>(&widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(&widget))
        return label->text();
    if (auto* line = qobject_cast<QLineEdit*>(&widget))
        return line->text();
    if (auto* box = qobject_cast<QPlainTextEdit*>(&widget))
        return box->toPlainText();
    return {};
}

TEST_F(LauncherTest, HasEveryControlByNameKindPlaceAndTextInCreationOrder)
{
    QStringList children;
    for (QWidget* child : launcher.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        children << child->objectName();
    QStringList expected;
    for (const Place& place : kControls)
        expected << qs(place.name);
    EXPECT_EQ(children, expected);

    for (const Place& place : kControls) {
        auto& widget = control<QWidget>(place.name);
        EXPECT_STREQ(widget.metaObject()->className(), place.kind) << place.name;
        EXPECT_EQ(widget.geometry(), place.geometry) << place.name;
        EXPECT_EQ(textOf(widget), qs(place.text)) << place.name;
        EXPECT_TRUE(widget.isEnabled()) << place.name;
    }
}

TEST_F(LauncherTest, TabsThroughTheEditBoxesListAndButtonsInCreationOrder)
{
    QStringList stops;
    for (QWidget* next = launcher.nextInFocusChain(); next != &launcher; next = next->nextInFocusChain()) {
        if (next->focusPolicy() & Qt::TabFocus)
            stops << next->objectName();
    }
    const QStringList expected = {qs("按钮4"),   qs("编辑框7"), qs("编辑框6"), qs("编辑框5"),
                                  qs("按钮3"),   qs("编辑框3"), qs("列表框1"), qs("编辑框2"),
                                  qs("编辑框1"), qs("按钮2"),   qs("按钮1"),   qs("编辑框4")};
    EXPECT_EQ(stops, expected);
}

TEST_F(LauncherTest, IsAFixedWindowCentredOnThePrimaryScreen)
{
    EXPECT_EQ(launcher.windowTitle(), qs("星帆导航V1.2"));
    EXPECT_EQ(launcher.size(), QSize(250, 251));
    EXPECT_EQ(launcher.minimumSize(), QSize(250, 251));
    EXPECT_EQ(launcher.maximumSize(), QSize(250, 251));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(launcher.pos(), QPoint((screen.width() - 256) / 2, (screen.height() - 283) / 2));

    const Qt::WindowFlags flags = launcher.windowFlags();
    EXPECT_EQ(launcher.windowType(), Qt::Window);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(launcher.parentWidget() == nullptr);  // its own taskbar entry
}

TEST_F(LauncherTest, ControlsCarryTheirSettings)
{
    for (const char* name : {"编辑框3", "编辑框4"}) {
        auto& box = control<QPlainTextEdit>(name);
        EXPECT_EQ(box.lineWrapMode(), QPlainTextEdit::WidgetWidth) << name;
        EXPECT_EQ(box.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff) << name;
        EXPECT_EQ(box.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff) << name;
        EXPECT_FALSE(box.isReadOnly()) << name;
        EXPECT_EQ(box.frameShadow(), QFrame::Sunken) << name;
        EXPECT_EQ(box.palette().color(QPalette::Active, QPalette::Text), QColor(Qt::black)) << name;
        EXPECT_EQ(box.palette().color(QPalette::Active, QPalette::Base), QColor(Qt::white)) << name;
    }

    auto& hint = control<QLabel>("透明标签1");
    EXPECT_EQ(hint.palette().color(QPalette::Active, QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(hint.wordWrap());
    EXPECT_FALSE(hint.autoFillBackground());

    EXPECT_FALSE(control<QListWidget>("列表框1").isSortingEnabled());
    for (const char* name : {"按钮1", "按钮2", "按钮3", "按钮4"}) {
        auto& button = control<QPushButton>(name);
        EXPECT_FALSE(button.autoDefault()) << name;
        EXPECT_FALSE(button.isDefault()) << name;
    }

    auto& banner = control<QLabel>("图片框1");
    EXPECT_EQ(banner.cursor().shape(), Qt::PointingHandCursor);
    QMovie* movie = banner.movie();
    ASSERT_NE(movie, nullptr);
    ASSERT_TRUE(movie->isValid());
    // The picture itself: two frames of 250 x 100 shown 1.5 s each, looping without end.
    QImageReader picture(movie->fileName());
    EXPECT_EQ(picture.format(), QByteArray("gif"));
    EXPECT_EQ(picture.imageCount(), 2);
    EXPECT_EQ(picture.loopCount(), -1);
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_EQ(picture.read().size(), QSize(250, 100)) << frame;
        EXPECT_EQ(picture.nextImageDelay(), 1500) << frame;
    }
}

TEST_F(LauncherTest, BannerPlaysOnlyWhileTheWindowIsShown)
{
    QMovie* movie = control<QLabel>("图片框1").movie();
    ASSERT_NE(movie, nullptr);
    create({{"星帆导航V1.2", "公告", "1"}});
    EXPECT_EQ(movie->state(), QMovie::NotRunning);
    launcher.show();
    EXPECT_EQ(movie->state(), QMovie::Running);
    launcher.hide();
    EXPECT_NE(movie->state(), QMovie::Running);
    launcher.show();
    EXPECT_EQ(movie->state(), QMovie::Running);
}

// ---- the created step

struct CreatedCase {
    const char* name;
    std::vector<Letter> letters;
    QStringList listed;
    const char* notice;
    const char* firstNumberText;
    const char* readingNumber;  // as it goes out in the reading request
};

class CreatedStep : public LauncherTest, public ::testing::WithParamInterface<CreatedCase> {};

TEST_P(CreatedStep, ShowsTheListingAndReadsTheFirstLetter)
{
    const CreatedCase& c = GetParam();
    create(c.letters, "星帆导航V1.3");

    EXPECT_EQ(listItems(), c.listed);
    EXPECT_EQ(control<QPlainTextEdit>("编辑框3").toPlainText(), qs(c.notice));
    EXPECT_EQ(control<QPlainTextEdit>("编辑框4").toPlainText(), qs(c.notice));
    EXPECT_EQ(control<QLineEdit>("编辑框5").text(), qs(c.firstNumberText));
    EXPECT_EQ(control<QLineEdit>("编辑框6").text(), QString::number(xingfan::platform::gui::nativeHandle(launcher)));
    EXPECT_EQ(control<QLineEdit>("编辑框7").text(), qs("星帆导航V1.2"));
    EXPECT_EQ(control<QLabel>("标签4").text(), qs("星帆导航V1.3"));
    EXPECT_EQ(latestVersionTitle, gbk("星帆导航V1.3"));
    EXPECT_EQ(latestLetterContent, gbk("更新说明"));
    EXPECT_EQ(letterList.size(), c.letters.size());

    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].rfind("POST /shujuzhongxin/shouxin.php?ms=726300 ", 0), 0u) << requests[0];
    EXPECT_EQ(bodyOf(requests[0]).rfind("bt=1&fy=1&msnr=726300&", 0), 0u) << requests[0];
    EXPECT_EQ(requests[1].rfind("POST /shujuzhongxin/duqu.php?ms=726300 ", 0), 0u) << requests[1];
    EXPECT_EQ(bodyOf(requests[1]).rfind(std::string("scly=xj&bt=") + c.readingNumber + "&msnr=726300&", 0), 0u)
        << requests[1];

    // The referral address, once per start, while the window is still hidden.
    EXPECT_EQ(browser.opened, QList<QUrl>{urlOf(xingfan::config::kReferralPage)});
    EXPECT_FALSE(launcher.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Listings, CreatedStep,
    ::testing::Values(
        CreatedCase{"OneLetter", {{"星帆导航V1.2", "欢迎使用", "12"}}, {qs("12")}, "欢迎使用", "12", "12"},
        CreatedCase{"TwoLetters",
                    {{"第一封", "第一封的内容", "7"}, {"第二封", "第二封的内容", "3"}},
                    {qs("7"), qs("3")},
                    "第一封的内容",
                    "7",
                    "7"},
        CreatedCase{"FullWidthColon", {{"t", "c", "：12"}}, {qs("：12")}, "c", "：12", "0"},
        CreatedCase{"LeadingSpace", {{"t", "c", " 12"}}, {qs(" 12")}, "c", " 12", "12"},
        CreatedCase{"FullWidthDigits", {{"t", "c", "１２"}}, {qs("１２")}, "c", "１２", "12"},
        CreatedCase{"MultiLineNotice", {{"t", "第一行\r\n第二行", "5"}}, {qs("5")}, "第一行\n第二行", "5", "5"},
        CreatedCase{"EmptyListing", {}, {}, "", "", "0"}),
    [](const ::testing::TestParamInfo<CreatedCase>& info) { return std::string(info.param.name); });

TEST_F(LauncherTest, UnreachableServiceLeavesEverythingEmptyAndStillOpensTheReferral)
{
    std::string closedBase;
    {
        LoopbackServer gone;
        closedBase = gone.url("/");
    }
    pointServiceAt(closedBase);
    launcher.onLauncherCreated();

    EXPECT_EQ(listItems(), QStringList());
    EXPECT_TRUE(control<QPlainTextEdit>("编辑框3").toPlainText().isEmpty());
    EXPECT_TRUE(control<QLineEdit>("编辑框5").text().isEmpty());
    EXPECT_TRUE(control<QLabel>("标签4").text().isEmpty());
    EXPECT_EQ(control<QLineEdit>("编辑框7").text(), qs("星帆导航V1.2"));
    EXPECT_EQ(browser.opened, QList<QUrl>{urlOf(xingfan::config::kReferralPage)});
}

// ---- the version gate

struct GateCase {
    const char* name;
    const char* latestTitle;
    bool opens;
};

class VersionGate : public LauncherTest, public ::testing::WithParamInterface<GateCase> {};

TEST_P(VersionGate, OpensTheResourceWindowOnlyForTheLaunchersOwnTitle)
{
    create({{"t", "c", "1"}}, GetParam().latestTitle);
    launcher.show();

    std::optional<QString> message, title;
    std::optional<QMessageBox::Icon> icon;
    qsizetype buttons = 0;
    QTimer::singleShot(0, &launcher, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = box->text();
            title = box->windowTitle();
            icon = box->icon();
            buttons = box->buttons().size();
            box->button(QMessageBox::Ok)->click();
        }
    });
    QTest::mouseClick(&control<QPushButton>("按钮2"), Qt::LeftButton);

    EXPECT_EQ(resourceOpenings, GetParam().opens ? 1 : 0);
    if (GetParam().opens) {
        EXPECT_FALSE(message.has_value());
        return;
    }
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(*message, qs("不是最新版本，请下载最新版本！"));
    EXPECT_EQ(*title, qs("提示"));
    EXPECT_EQ(*icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, 1);
}

INSTANTIATE_TEST_SUITE_P(Titles, VersionGate,
                         ::testing::Values(GateCase{"Equal", "星帆导航V1.2", true},
                                           GateCase{"LowerCaseV", "星帆导航v1.2", false},
                                           GateCase{"TrailingSpace", "星帆导航V1.2 ", false},
                                           GateCase{"TrailingLineBreak", "星帆导航V1.2\r\n", false},
                                           GateCase{"FullWidthV", "星帆导航Ｖ1.2", false},
                                           GateCase{"Newer", "星帆导航V1.3", false},
                                           GateCase{"Empty", "", false}),
                         [](const ::testing::TestParamInfo<GateCase>& info) { return std::string(info.param.name); });

TEST_F(LauncherTest, GateRunsTheResourceWindowInDialogModeEachTimeAfresh)
{
    create({{"t", "c", "1"}});
    launcher.show();
    std::vector<bool> launcherDisabled;
    openResourceWindow = [&] {
        ++resourceOpenings;
        QWidget window;  // built anew at each opening, as the resource window is
        QTimer::singleShot(0, &window, [&] {
            launcherDisabled.push_back(!launcher.isEnabled() && window.isVisible());
            window.close();
        });
        xingfan::platform::gui::runDialog(window);
    };

    for (int opening = 0; opening < 2; ++opening) {
        QTest::mouseClick(&control<QPushButton>("按钮2"), Qt::LeftButton);
        EXPECT_TRUE(launcher.isEnabled()) << opening;
    }
    EXPECT_EQ(resourceOpenings, 2);
    EXPECT_EQ(launcherDisabled, (std::vector<bool>{true, true}));
    // The launcher's values were fetched once.
    EXPECT_EQ(server.requests().size(), 2u);
}

// ---- links and keys

struct InputCase {
    const char* name;
    std::function<void(LauncherTest&)> act;
    std::optional<std::string_view> opens;
};

class Input : public LauncherTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(Input, OpensItsAddressOrNothing)
{
    create({{"星帆导航V1.2", "c", "1"}});
    launcher.show();
    browser.opened.clear();

    GetParam().act(*this);

    if (GetParam().opens)
        EXPECT_EQ(browser.opened, QList<QUrl>{urlOf(*GetParam().opens)});
    else
        EXPECT_TRUE(browser.opened.isEmpty());
    EXPECT_EQ(resourceOpenings, 0);
}

QWidget& controlOf(LauncherTest& test, const char* name)
{
    return test.control<QWidget>(name);
}

void press(LauncherTest& test, Qt::MouseButton button)
{
    QTest::mousePress(&controlOf(test, "图片框1"), button, {}, QPoint(125, 50));
}

void key(LauncherTest& test, const char* name, Qt::Key pressed)
{
    QWidget& target = controlOf(test, name);
    target.setFocus();
    QTest::keyClick(&target, pressed);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, Input,
    ::testing::Values(
        InputCase{"DownloadButton", [](LauncherTest& t) { QTest::mouseClick(&controlOf(t, "按钮1"), Qt::LeftButton); },
                  xingfan::config::kDownloadPage},
        InputCase{"OfficialSiteButton",
                  [](LauncherTest& t) { QTest::mouseClick(&controlOf(t, "按钮4"), Qt::LeftButton); },
                  xingfan::config::kOfficialSite},
        InputCase{"QueryButtonDoesNothing",
                  [](LauncherTest& t) { QTest::mouseClick(&controlOf(t, "按钮3"), Qt::LeftButton); }, std::nullopt},
        InputCase{"BannerLeftPress", [](LauncherTest& t) { press(t, Qt::LeftButton); },
                  xingfan::config::kReferralPage},
        InputCase{"BannerRightPress", [](LauncherTest& t) { press(t, Qt::RightButton); }, std::nullopt},
        InputCase{"BannerMiddlePress", [](LauncherTest& t) { press(t, Qt::MiddleButton); }, std::nullopt},
        InputCase{"BannerLeftRelease",
                  [](LauncherTest& t) {
                      QTest::mouseRelease(&controlOf(t, "图片框1"), Qt::LeftButton, {}, QPoint(125, 50));
                  },
                  std::nullopt},
        InputCase{"EnterOnDownloadButton", [](LauncherTest& t) { key(t, "按钮1", Qt::Key_Return); }, std::nullopt},
        InputCase{"KeypadEnterOnOfficialSiteButton", [](LauncherTest& t) { key(t, "按钮4", Qt::Key_Enter); },
                  std::nullopt},
        InputCase{"EnterOnGateButton", [](LauncherTest& t) { key(t, "按钮2", Qt::Key_Return); }, std::nullopt},
        InputCase{"EnterInEditBox", [](LauncherTest& t) { key(t, "编辑框7", Qt::Key_Return); }, std::nullopt}),
    [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

TEST_F(LauncherTest, BannerDoubleClickOpensOnEachPress)
{
    launcher.show();
    QWidget& banner = control<QWidget>("图片框1");
    // What a double click brings: press, release, double-click (the second press), release.
    QTest::mousePress(&banner, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&banner, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseDClick(&banner, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&banner, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(browser.opened, (QList<QUrl>{urlOf(xingfan::config::kReferralPage), urlOf(xingfan::config::kReferralPage)}));
}

TEST_F(LauncherTest, EscapeClosesTheWindowWhereverTheFocusIs)
{
    for (const char* name : {"按钮4", "编辑框3", "列表框1", "编辑框7", "按钮2"}) {
        launcher.show();
        QWidget& target = control<QWidget>(name);
        QTest::keyClick(&target, Qt::Key_Escape);
        EXPECT_FALSE(launcher.isVisible()) << name;
    }
}

}  // namespace
