#include "platform/gui/gui.hpp"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace gui = xingfan::platform::gui;

namespace {

// Runs `action` as soon as the event loop that a blocking call enters starts turning.
void whenLoopRuns(QObject& context, std::function<void()> action)
{
    QTimer::singleShot(0, &context, std::move(action));
}

TEST(NativeHandle, NamesEachWindowAndGivesItsTitleBack)
{
    QWidget launcher;
    launcher.setWindowTitle(QStringLiteral("星帆导航V1.2"));
    auto other = std::make_unique<QWidget>();
    other->setWindowTitle(QStringLiteral("other"));

    const std::int32_t launcherHandle = gui::nativeHandle(launcher);
    const std::int32_t otherHandle = gui::nativeHandle(*other);
    EXPECT_NE(launcherHandle, 0);
    EXPECT_NE(launcherHandle, otherHandle);
    EXPECT_EQ(gui::nativeHandle(launcher), launcherHandle);

    EXPECT_EQ(gui::windowTitleOf(launcherHandle), QStringLiteral("星帆导航V1.2"));
    EXPECT_EQ(gui::windowTitleOf(otherHandle), QStringLiteral("other"));
    launcher.setWindowTitle(QStringLiteral("renamed"));
    EXPECT_EQ(gui::windowTitleOf(launcherHandle), QStringLiteral("renamed"));

    for (const std::int32_t unknown : {0, -1, launcherHandle + otherHandle + 100})
        EXPECT_TRUE(gui::windowTitleOf(unknown).isEmpty()) << unknown;

    // A destroyed window's handle names nothing, and no later window gets it.
    other.reset();
    EXPECT_TRUE(gui::windowTitleOf(otherHandle).isEmpty());
    QWidget later;
    later.setWindowTitle(QStringLiteral("later"));
    EXPECT_NE(gui::nativeHandle(later), otherHandle);
}

TEST(LoadWindow, RunsTheCreatedStepWhileHiddenThenShows)
{
    QWidget window;
    bool ranHidden = false;
    gui::loadWindow(window, [&] { ranHidden = !window.isVisible(); });
    EXPECT_TRUE(ranHidden);
    EXPECT_TRUE(window.isVisible());
}

TEST(RunDialog, DisablesTheOtherWindowsUntilItClosesAndRestoresTheirStates)
{
    QWidget enabledWindow;
    enabledWindow.show();
    QWidget disabledWindow;
    disabledWindow.setEnabled(false);
    disabledWindow.show();
    QWidget hiddenWindow;

    QWidget dialog;
    bool sawOthersDisabled = false;
    bool closedBeforeReturn = false;
    whenLoopRuns(dialog, [&] {
        sawOthersDisabled = dialog.isVisible() && dialog.isEnabled() && !enabledWindow.isEnabled()
                            && !disabledWindow.isEnabled() && !hiddenWindow.isEnabled();
        dialog.close();
        closedBeforeReturn = true;
    });
    gui::runDialog(dialog);

    EXPECT_TRUE(sawOthersDisabled);
    EXPECT_TRUE(closedBeforeReturn);
    EXPECT_TRUE(enabledWindow.isEnabled());
    EXPECT_FALSE(disabledWindow.isEnabled());
    EXPECT_TRUE(hiddenWindow.isEnabled());
    EXPECT_FALSE(dialog.isVisible());
}

TEST(RunDialog, ReturnsWhenTheWindowIsDestroyedAndCopesWithOthersGoingAway)
{
    QWidget launcher;
    launcher.show();
    auto* goingAway = new QWidget;
    goingAway->show();
    auto* dialog = new QWidget;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWidget> watched(dialog);

    whenLoopRuns(launcher, [&] {
        delete goingAway;
        dialog->close();
    });
    gui::runDialog(*dialog);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_TRUE(watched.isNull());
    EXPECT_TRUE(launcher.isEnabled());
}

TEST(RunDialog, OpensAgainAfterClosing)
{
    QWidget launcher;
    launcher.show();
    for (int opening = 0; opening < 2; ++opening) {
        QWidget dialog;
        bool launcherDisabled = false;
        whenLoopRuns(dialog, [&] {
            launcherDisabled = !launcher.isEnabled();
            dialog.close();
        });
        gui::runDialog(dialog);
        EXPECT_TRUE(launcherDisabled) << opening;
        EXPECT_TRUE(launcher.isEnabled()) << opening;
    }
}

struct MessageBoxCase {
    gui::MessageIcon icon;
    QMessageBox::Icon shown;
};

class ShowMessageBox : public ::testing::TestWithParam<MessageBoxCase> {};

TEST_P(ShowMessageBox, ShowsAnOwnerlessBoxThatBlocksEveryWindowUntilDismissed)
{
    QWidget window;
    auto* button = new QPushButton(QStringLiteral("press"), &window);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, &window, [&] { ++clicks; });
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    bool seen = false;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::Critical;
    qsizetype buttons = 0;
    QObject* owner = &window;
    whenLoopRuns(window, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        seen = true;
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->buttons().size();
        owner = box->parent();
        // Input to the other window goes nowhere while the box is open.
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
        box->button(QMessageBox::Ok)->click();
    });
    gui::showMessageBox(QStringLiteral("不是最新版本，请下载最新版本！"), QStringLiteral("提示"), GetParam().icon);

    ASSERT_TRUE(seen);
    EXPECT_EQ(text, QStringLiteral("不是最新版本，请下载最新版本！"));
    EXPECT_EQ(title, QStringLiteral("提示"));
    EXPECT_EQ(icon, GetParam().shown);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(clicks, 0);

    // The same click reaches the window once the box is gone.
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    EXPECT_EQ(clicks, 1);
}

INSTANTIATE_TEST_SUITE_P(Icons, ShowMessageBox,
                         ::testing::Values(MessageBoxCase{gui::MessageIcon::None, QMessageBox::NoIcon},
                                           MessageBoxCase{gui::MessageIcon::Information, QMessageBox::Information}));

// A control that keeps Esc for itself, as an open drop-down would.
class EscapeTaker final : public QLineEdit {
protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape)
            event->accept();
        else
            QLineEdit::keyPressEvent(event);
    }
};

TEST(CloseOnEscape, ClosesFromEveryKindOfControlThatLeavesTheKeyAlone)
{
    const std::vector<std::function<QWidget*(QWidget*)>> makers = {
        [](QWidget* parent) { return new QLineEdit(parent); },
        [](QWidget* parent) { return new QPlainTextEdit(parent); },
        [](QWidget* parent) { return new QListWidget(parent); },
        [](QWidget* parent) { return new QPushButton(QStringLiteral("b"), parent); },
        [](QWidget* parent) { return parent; },
    };
    for (std::size_t i = 0; i < makers.size(); ++i) {
        QWidget window;
        QWidget* target = makers[i](&window);
        gui::closeOnEscape(window);
        window.show();
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_FALSE(window.isVisible()) << "control " << i;
    }

    QWidget window;
    auto* taker = new EscapeTaker;
    taker->setParent(&window);
    gui::closeOnEscape(window);
    window.show();
    QTest::keyClick(taker, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    QTest::keyClick(taker, Qt::Key_Return);
    EXPECT_TRUE(window.isVisible());
}

TEST(MessageLoop, RunsUntilTheLastWindowIsClosedThenDestroysItAndRunsTheExitRoutine)
{
    auto* window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWidget> watched(window);
    window->show();

    bool windowGoneAtExit = false;
    int exits = 0;
    gui::setExitRoutine([&] {
        windowGoneAtExit = watched.isNull();
        ++exits;
    });
    whenLoopRuns(*window, [window] { window->close(); });
    gui::runMessageLoop();

    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(windowGoneAtExit);
}

TEST(MessageLoop, IsNotEnteredWithoutAShownWindow)
{
    QWidget hidden;
    int exits = 0;
    gui::setExitRoutine([&] { ++exits; });
    gui::runMessageLoop();  // would never return if it entered the loop
    EXPECT_EQ(exits, 1);
}

TEST(SetUp, GivesWindowsWithoutAnIconOfTheirOwnTheProgramsIcon)
{
    gui::setUp();
    EXPECT_EQ(QApplication::applicationVersion(), QStringLiteral("1.2.1.0"));
    QWidget window;
    EXPECT_FALSE(window.windowIcon().pixmap(64, 64).isNull());
    EXPECT_EQ(window.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

TEST(FailStartupDeathTest, EndsTheProgramWithStatusOneAndTheReason)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(gui::failStartup(QStringLiteral("launcher window could not be created")),
                ::testing::ExitedWithCode(1), "launcher window could not be created");
}

}  // namespace
