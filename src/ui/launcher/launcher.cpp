#include "ui/launcher/launcher.hpp"

#include "config/addresses.hpp"
#include "platform/gui/gui.hpp"
#include "platform/shell/shell.hpp"
#include "text/gbk_codec.hpp"
#include "ui/launcher/text_to_integer.hpp"
#include "ui_launcher.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

#include <cstddef>
#include <utility>

namespace xingfan::ui {

namespace {

// The window's outer size, frame and caption included, by which it is centred on the screen.
constexpr int kOuterWidth = 256;
constexpr int kOuterHeight = 283;

std::int32_t integerOf(const QString& text)
{
    return textToInteger(text::toGbk(text));
}

}  // namespace

Launcher::Launcher(LauncherState state, std::function<void()> openResourceWindow)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint),
      ui(std::make_unique<::Ui::Launcher>()),
      state_(state),
      openResourceWindow_(std::move(openResourceWindow)),
      banner_(QStringLiteral(":/launcher/banner.gif"))
{
    ui->setupUi(this);
    setFixedSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect full = screen->geometry();
        move(full.x() + (full.width() - kOuterWidth) / 2, full.y() + (full.height() - kOuterHeight) / 2);
    }
    platform::gui::closeOnEscape(*this);

    banner_.setCacheMode(QMovie::CacheAll);
    ui->图片框1->setMovie(&banner_);
    ui->图片框1->installEventFilter(this);

    connect(ui->按钮1, &QPushButton::clicked, this, &Launcher::onDownloadClicked);
    connect(ui->按钮2, &QPushButton::clicked, this, &Launcher::onVersionGateClicked);
    connect(ui->按钮4, &QPushButton::clicked, this, &Launcher::onOfficialSiteClicked);
}

Launcher::~Launcher() = default;

void Launcher::onLauncherCreated()
{
    ui->编辑框6->setText(QString::number(platform::gui::nativeHandle(*this)));
    ui->编辑框7->setText(platform::gui::windowTitleOf(integerOf(ui->编辑框6->text())));

    ui->列表框1->clear();
    ui->编辑框3->setPlainText(QString());

    const std::int32_t count = integerOf(ui->编辑框1->text());
    const std::int32_t page = integerOf(ui->编辑框2->text());
    letters::listLetters(std::string(letters::kMailboxNumber), count, page, state_.letterList);

    const std::size_t letterCount = state_.letterList.size();
    for (std::size_t i = 0; i < letterCount; ++i) {
        const letters::LetterEntry& entry = state_.letterList[i];
        ui->列表框1->addItem(text::fromGbk(entry.sequence));
        if (i == 0)
            ui->编辑框3->setPlainText(text::fromGbk(entry.content));
    }
    const QListWidgetItem* first = ui->列表框1->item(0);
    ui->编辑框5->setText(first != nullptr ? first->text() : QString());

    const std::int32_t number = integerOf(ui->编辑框5->text());
    letters::readLetter(std::string(letters::kMailboxNumber), number, 2, state_.latestVersionTitle,
                        state_.latestLetterContent);
    ui->标签4->setText(text::fromGbk(state_.latestVersionTitle));

    ui->编辑框4->setPlainText(ui->编辑框3->toPlainText());
    platform::shell::openAddress(config::kReferralPage);
}

void Launcher::onVersionGateClicked()
{
    // Byte for byte, as the letter service wrote the title.
    const bool latest = text::toGbk(ui->标签4->text()) == text::toGbk(ui->编辑框7->text());
    if (latest) {
        if (openResourceWindow_)
            openResourceWindow_();
        return;
    }
    platform::gui::showMessageBox(QStringLiteral("不是最新版本，请下载最新版本！"), QStringLiteral("提示"),
                                  platform::gui::MessageIcon::None);
}

void Launcher::onDownloadClicked()
{
    platform::shell::openAddress(config::kDownloadPage);
}

void Launcher::onOfficialSiteClicked()
{
    platform::shell::openAddress(config::kOfficialSite);
}

void Launcher::onBannerPressed()
{
    platform::shell::openAddress(config::kReferralPage);
}

// The banner plays only while the window is shown: a ticking timer would wake the letter
// requests' wait while the window is still hidden and keep them from ever giving up.
void Launcher::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (banner_.state() == QMovie::NotRunning)
        banner_.start();
    else
        banner_.setPaused(false);
}

void Launcher::hideEvent(QHideEvent* event)
{
    if (banner_.state() == QMovie::Running)
        banner_.setPaused(true);
    QWidget::hideEvent(event);
}

bool Launcher::eventFilter(QObject* watched, QEvent* event)
{
    // Every press of the left button counts, the second one of a double click included.
    const QEvent::Type type = event->type();
    if (watched == ui->图片框1 && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        onBannerPressed();
    return QWidget::eventFilter(watched, event);
}

}  // namespace xingfan::ui
