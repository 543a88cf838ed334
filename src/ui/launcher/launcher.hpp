#pragma once

#include "letters/letters.hpp"

#include <QMovie>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace Ui {
class Launcher;
}

namespace xingfan::ui {

// The program-wide state that the launcher's created step fills in; start-up owns it.
struct LauncherState {
    letters::LetterList& letterList;
    std::string& latestVersionTitle;
    std::string& latestLetterContent;
};

// The first window: the notice and the latest version from the letter service, the version gate
// and the links. Intermediate values live in controls below and beside the visible area, and the
// version gate reads its operands back from there.
class Launcher final : public QWidget {
public:
    // `openResourceWindow` opens the resource window in dialog mode and returns when it has closed.
    Launcher(LauncherState state, std::function<void()> openResourceWindow);
    ~Launcher() override;

    // Runs once while the window is still hidden: asks the letter service for the notice and the
    // latest version, then opens the referral address.
    void onLauncherCreated();
    void onVersionGateClicked();
    void onDownloadClicked();
    void onOfficialSiteClicked();
    void onBannerPressed();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<::Ui::Launcher> ui;
    LauncherState state_;
    std::function<void()> openResourceWindow_;
    QMovie banner_;
};

}  // namespace xingfan::ui
