#pragma once

#include <QLabel>

namespace xingfan::ui {

// A label without background that draws its plain text line by line at the pitch of its own
// font. A plain label spaces lines by the tallest fallback font it uses, which for Chinese text
// puts the second line of the launcher's instruction below the window's edge.
class TransparentLabel final : public QLabel {
    Q_OBJECT
public:
    explicit TransparentLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace xingfan::ui
