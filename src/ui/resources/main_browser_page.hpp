#pragma once

#include <QString>
#include <QWebEnginePage>

namespace xingfan::ui {

// The main browser's page. It keeps the status text, what the shown page last reported for the
// status bar, and keeps every new window inside itself: a request for one sends this page to
// the status text instead and is refused.
//
// The status text is the address that linkHovered last gave. Every report counts, the empty
// one included: the page reports "" when the pointer leaves a link and when a new page is
// shown, as a browser's status bar goes blank then. So a link aimed at a new window, clicked
// while the pointer rests on it, opens here; a script's pop-up after the pointer has left
// every link sends the page to the empty address.
class MainBrowserPage : public QWebEnginePage {
    Q_OBJECT

public:
    explicit MainBrowserPage(QObject* parent = nullptr);

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    QString statusText_;
};

}  // namespace xingfan::ui
