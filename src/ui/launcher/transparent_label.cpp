#include "ui/launcher/transparent_label.hpp"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

namespace xingfan::ui {

TransparentLabel::TransparentLabel(QWidget* parent) : QLabel(parent) {}

void TransparentLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QRect area = contentsRect();
    const QFontMetrics metrics(font());
    const int pitch = metrics.height();
    int top = area.top();
    const QStringList paragraphs = text().split(u'\n');
    for (const QString& paragraph : paragraphs) {
        QTextLayout layout(paragraph, font());
        QTextOption option;
        option.setWrapMode(wordWrap() ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(area.width());
            // Baselines follow the label's own font; a fallback font with a taller ascent (the
            // CJK one) would otherwise push the lines down and out of the window.
            line.setPosition(QPointF(area.left(), top - (line.ascent() - metrics.ascent())));
            top += pitch;
        }
        layout.endLayout();
        layout.draw(&painter, QPointF());
        if (top > area.bottom())
            break;
    }
}

}  // namespace xingfan::ui
