#include "app/start_application.hpp"

#include "app/program_state.hpp"
#include "app/resource_window_module.hpp"
#include "letters/letters.hpp"
#include "platform/gui/gui.hpp"
#include "platform/shell/shell.hpp"
#include "text/gbk_codec.hpp"
#include "ui/launcher/launcher.hpp"

#include <exception>

namespace xingfan::app {

namespace {

namespace gui = platform::gui;

letters::NoticeActions noticeActions()
{
    return {
        .openAddress = [](const std::string& address) { platform::shell::openAddress(address); },
        .showInformation =
            [](const std::string& text, const std::string& title) {
                gui::showMessageBox(text::fromGbk(text), text::fromGbk(title), gui::MessageIcon::Information);
            },
    };
}

}  // namespace

std::int32_t startApplication()
{
    gui::setUp();
    ProgramState& state = createProgramState();
    gui::setExitRoutine(&releaseProgramState);

    letters::showStartupNotice(noticeActions());

    ui::Launcher* launcher = nullptr;
    try {
        launcher = new ui::Launcher({state.letterList, state.latestVersionTitle, state.latestLetterContent},
                                    &openResourceWindow);
    } catch (const std::exception& failure) {
        gui::failStartup(QStringLiteral("The launcher window could not be created: %1")
                             .arg(QString::fromLocal8Bit(failure.what())));
    }
    // Closing the launcher destroys it, which ends the program.
    launcher->setAttribute(Qt::WA_DeleteOnClose);
    gui::loadWindow(*launcher, [launcher] { launcher->onLauncherCreated(); });

    gui::runMessageLoop();
    return 0;
}

}  // namespace xingfan::app
