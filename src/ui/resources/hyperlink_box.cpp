#include "ui/resources/hyperlink_box.hpp"

#include <QMouseEvent>

namespace xingfan::ui {

HyperlinkBox::HyperlinkBox(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setTextColor(kLinkColor);
}

void HyperlinkBox::enterEvent(QEnterEvent* event)
{
    setTextColor(kHoverColor);
    QLabel::enterEvent(event);
}

void HyperlinkBox::leaveEvent(QEvent* event)
{
    setTextColor(kLinkColor);
    QLabel::leaveEvent(event);
}

void HyperlinkBox::mousePressEvent(QMouseEvent* event)
{
    // Taken, so that the release comes here as well.
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void HyperlinkBox::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is a press and a release on the box; releasing after dragging off it is not.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Q_EMIT clicked();
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void HyperlinkBox::setTextColor(const QColor& color)
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, color);
    setPalette(colours);
}

}  // namespace xingfan::ui
