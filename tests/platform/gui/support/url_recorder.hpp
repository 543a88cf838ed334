#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace xingfan::testing {

// Takes the place of the desktop's browser: while it lives, every address handed to
// QDesktopServices::openUrl in one of the common schemes (or none) is recorded, and nothing opens.
class UrlRecorder final : public QObject {
    Q_OBJECT
public:
    UrlRecorder();
    ~UrlRecorder() override;

    QList<QUrl> opened;
    // Called with each address as it is opened, for a look at the program's state at that moment.
    std::function<void(const QUrl&)> whenOpened;

public Q_SLOTS:
    void open(const QUrl& url);

private:
    QStringList schemes_;
};

}  // namespace xingfan::testing
