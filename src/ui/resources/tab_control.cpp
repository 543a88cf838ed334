#include "ui/resources/tab_control.hpp"

#include <QEvent>
#include <QPainter>
#include <QTabBar>

namespace xingfan::ui {

TabControl::TabControl(QWidget* parent) : QStackedWidget(parent), tabs_(new QTabBar(this))
{
    tabs_->setDrawBase(false);
    connect(tabs_, &QTabBar::currentChanged, this, &QStackedWidget::setCurrentIndex);
    connect(this, &QStackedWidget::currentChanged, tabs_, &QTabBar::setCurrentIndex);
    connect(this, &QStackedWidget::widgetRemoved, tabs_, &QTabBar::removeTab);
}

int TabControl::addWidget(QWidget* page)
{
    const int index = QStackedWidget::addWidget(page);
    tabs_->insertTab(index, page->windowTitle());
    connect(page, &QWidget::windowTitleChanged, tabs_,
            [this, page](const QString& title) { tabs_->setTabText(indexOf(page), title); });
    tabs_->raise();
    placeTabs();
    return index;
}

void TabControl::setFrameColor(const QColor& color)
{
    frameColor_ = color;
    update();
}

bool TabControl::event(QEvent* event)
{
    const bool handled = QStackedWidget::event(event);
    switch (event->type()) {
    // The tabs' size follows their captions and their style sheet's font.
    case QEvent::LayoutRequest:
    case QEvent::Polish:
    case QEvent::StyleChange:
    case QEvent::Resize:
        placeTabs();
        break;
    default:
        break;
    }
    return handled;
}

void TabControl::placeTabs()
{
    const QSize hint = tabs_->sizeHint();
    tabs_->setGeometry(0, 0, qMin(hint.width(), width()), hint.height());
    update();
}

void TabControl::paintEvent(QPaintEvent*)
{
    // The pane's frame, open under the selected tab so that the tab joins its page.
    const int top = tabs_->height() - 1;
    if (top >= height() - 1)
        return;
    QPainter painter(this);
    painter.setPen(frameColor_);
    const int right = width() - 1;
    const int bottom = height() - 1;
    painter.drawLine(0, top, 0, bottom);
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(right, top, right, bottom);
    const QRect selected = tabs_->tabRect(tabs_->currentIndex());
    if (selected.isValid()) {
        painter.drawLine(0, top, selected.left(), top);
        painter.drawLine(selected.right(), top, right, top);
    } else {
        painter.drawLine(0, top, right, top);
    }
}

}  // namespace xingfan::ui
