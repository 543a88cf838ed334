#pragma once

#include <QColor>
#include <QLabel>

namespace xingfan::ui {

// A caption that reports a click, drawn as a web link: the text is blue, another blue while the
// pointer is over it, and blue again after a visit.
class HyperlinkBox : public QLabel {
    Q_OBJECT

public:
    explicit HyperlinkBox(QWidget* parent = nullptr);

    static constexpr QColor kLinkColor{0, 0, 255};
    static constexpr QColor kHoverColor{49, 106, 197};

Q_SIGNALS:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setTextColor(const QColor& color);
};

}  // namespace xingfan::ui
