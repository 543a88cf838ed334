#pragma once

#include <QSize>
#include <QUrl>
#include <QWidget>

#include <memory>

namespace Ui {
class ResourceWindow;
}

namespace xingfan::ui {

// Where the two browsers start.
struct StartAddresses {
    QUrl mainBrowser;    // 超文本浏览框1
    QUrl hiddenBrowser;  // 超文本浏览框2
};

// The maker's start page and a search engine's results page for a fixed query.
StartAddresses builtInStartAddresses();

// The resource window: six category pages of site buttons above the main browser, which keeps
// pages that ask for new windows inside itself and fills the client area under the tab strip.
class ResourceWindow : public QWidget {
    Q_OBJECT

public:
    // Client area at the design size; the design's outer size is 1024 x 745.
    static constexpr QSize kDesignSize{1018, 713};
    static constexpr QSize kDesignOuterSize{1024, 745};

    explicit ResourceWindow(const StartAddresses& start = builtInStartAddresses(), QWidget* parent = nullptr);
    ~ResourceWindow() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void addSiteButtons();
    void placeMainBrowser();
    void centreOnScreen();
    bool browserHasFocus() const;

    std::unique_ptr<Ui::ResourceWindow> ui_;
};

}  // namespace xingfan::ui
