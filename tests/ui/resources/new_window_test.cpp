#include "window_fixture.hpp"

#include <QApplication>
#include <QTest>
#include <QWebEngineView>

namespace xingfan::ui::testing {

namespace {

// Three blocks of 300 x 60 pixels from the top: a link aimed at a new window, a link that is no
// address and opens a pop-up from its script, and a button whose script opens a pop-up.
const QByteArray kOpener = R"html(<html><head><title>opener</title>
<style>body { margin: 0 } a, button { display: block; width: 300px; height: 60px; margin: 0; border: 0 }</style>
</head><body>
<a href="target.html" target="_blank">new window</a>
<a href="javascript:void(0)" onclick="window.open('popup.html')">script link</a>
<button onclick="window.open('popup.html', 'popup', 'width=200,height=200')">pop-up</button>
</body></html>)html";

const QPoint kBlankLink(150, 30);
const QPoint kScriptLink(150, 90);
const QPoint kPopupButton(150, 150);

}  // namespace

class NewWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        target_ = writePage(QStringLiteral("target.html"), "<html><body>target</body></html>");
        popup_ = writePage(QStringLiteral("popup.html"), "<html><body>pop-up</body></html>");
        opener_ = writePage(QStringLiteral("opener.html"), kOpener);
        openWindow(opener_);
        topLevels_ = QApplication::topLevelWidgets().size();
    }

    // The pointer as the user moves it over the shown page.
    QWidget* pageSurface() const { return mainBrowser()->focusProxy(); }

    // Waits for the page's report on what lies under the pointer.
    void hover(const QPoint& point)
    {
        QTest::mouseMove(pageSurface(), point);
        QTest::qWait(200);
    }

    void expectNoSecondWindow()
    {
        EXPECT_EQ(QApplication::topLevelWidgets().size(), topLevels_);
        EXPECT_FALSE(requests_.pages.contains(popup_));
    }

    QUrl target_;
    QUrl popup_;
    QUrl opener_;
    qsizetype topLevels_ = 0;
};

TEST_F(NewWindowTest, LinkAimedAtANewWindowOpensInTheMainBrowser)
{
    hover(kBlankLink);
    QTest::mouseClick(pageSurface(), Qt::LeftButton, {}, kBlankLink);
    EXPECT_TRUE(waitForMainPage(target_));
    EXPECT_EQ(mainBrowser()->url(), target_);
    expectNoSecondWindow();
}

TEST_F(NewWindowTest, PopUpWithNoAddressInTheStatusFollowsThatText)
{
    // The pointer rests on a link that is no address; its script opens a pop-up.
    hover(kScriptLink);
    QTest::mouseClick(pageSurface(), Qt::LeftButton, {}, kScriptLink);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainBrowser()->url() == QUrl(QStringLiteral("javascript:void(0)")); }));
    QTest::qWait(300);
    expectNoSecondWindow();
}

TEST_F(NewWindowTest, PopUpWithAnEmptyStatusSendsTheBrowserToTheEmptyAddress)
{
    // Over a button the page reports nothing for the status bar.
    hover(kBlankLink);
    hover(kPopupButton);
    QTest::mouseClick(pageSurface(), Qt::LeftButton, {}, kPopupButton);
    EXPECT_TRUE(waitForMainPage(QUrl(QStringLiteral("about:blank"))));
    expectNoSecondWindow();
}

}  // namespace xingfan::ui::testing
