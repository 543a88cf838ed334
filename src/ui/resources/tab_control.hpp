#pragma once

#include <QColor>
#include <QStackedWidget>

class QTabBar;

namespace xingfan::ui {

// A tab control whose pages cover the whole control, tab strip included, so that a page's
// controls are placed relative to the control's top-left corner and may stand in the strip to
// the right of the tabs. The tabs lie on top of the pages; each tab's caption is its page's
// windowTitle.
class TabControl : public QStackedWidget {
    Q_OBJECT
    Q_PROPERTY(QColor frameColor READ frameColor WRITE setFrameColor)

public:
    explicit TabControl(QWidget* parent = nullptr);

    // Hides QStackedWidget::addWidget (which uic calls for every page) so that each page gets
    // its tab.
    int addWidget(QWidget* page);

    QTabBar* tabBar() const { return tabs_; }

    QColor frameColor() const { return frameColor_; }
    void setFrameColor(const QColor& color);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void placeTabs();

    QTabBar* tabs_;
    QColor frameColor_;
};

}  // namespace xingfan::ui
