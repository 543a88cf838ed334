#pragma once

#include "ui/resources/resource_window.hpp"

#include <QList>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

#include <gtest/gtest.h>

#include <memory>

class QColor;
class QWebEngineView;

namespace xingfan::ui::testing {

// Records the address of every page that a browser asks for. Anything that would leave this
// machine is blocked: the catalogue's hosts are real sites.
class PageRequests : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

    QList<QUrl> pages;
};

// How many pixels of `widget`, as drawn, have exactly `colour`.
int countPixels(QWidget* widget, const QColor& colour);

// A resource window whose browsers start at local pages, shown and with the start page loaded.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes `html` as `name` into the page folder and gives its address.
    QUrl writePage(const QString& name, const QByteArray& html);

    // Creates and shows the window, then waits for the main browser's start page.
    void openWindow(const QUrl& mainStart);
    void openWindow();

    QWebEngineView* mainBrowser() const;
    QWebEngineView* hiddenBrowser() const;
    QWidget* control(const QString& name) const;

    // Selects a page the way the user does, by clicking its tab.
    void selectPage(int index);

    // Waits until a load of the main browser has ended on `url`, since the window opened.
    bool waitForMainPage(const QUrl& url);
    bool waitForRequest(const QUrl& url);

    QTemporaryDir pageFolder_;
    PageRequests requests_;
    QUrl startPage_;
    QUrl hiddenPage_;
    std::unique_ptr<ResourceWindow> window_;
    QList<QUrl> finishedLoads_;  // the main browser's address at the end of each load
};

}  // namespace xingfan::ui::testing
