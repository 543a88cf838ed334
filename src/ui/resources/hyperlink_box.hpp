#pragma once

#include <QColor>
#include <QLabel>
#include <QUrl>

namespace xingfan::ui {

// A caption that opens its target in the user's default web browser when clicked. The text is
// blue, another blue while the pointer is over it, and blue again after a visit.
class HyperlinkBox : public QLabel {
    Q_OBJECT

public:
    explicit HyperlinkBox(QWidget* parent = nullptr);

    QUrl target() const { return target_; }
    void setTarget(const QUrl& target) { target_ = target; }

    static constexpr QColor kLinkColor{0, 0, 255};
    static constexpr QColor kHoverColor{49, 106, 197};

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setTextColor(const QColor& color);

    QUrl target_;
};

}  // namespace xingfan::ui
