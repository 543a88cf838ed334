#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace xingfan::testing {

// Takes the place of the desktop's browser: while it lives, every address handed to
// QDesktopServices::openUrl in one of the common schemes (or none) is recorded, and nothing opens.
class UrlRecorder final : public QObject {
    Q_OBJECT
public:
    UrlRecorder();
    ~UrlRecorder() override;

    QList<QUrl> opened;

public Q_SLOTS:
    void open(const QUrl& url);

private:
    QStringList schemes_;
};

}  // namespace xingfan::testing
