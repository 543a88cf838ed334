// Opens either the resource window or, for comparison, a bare window with one web view, and
// prints how long after the trigger it was shown and its start page loaded:
//   bench_resource_window window|bare <start address> <hidden address> [page] [hold-ms]
// The trigger stands in for the version gate's click: it fires once the event loop runs. After
// the start page the program stays open for hold-ms (for the memory sampler), then ends.
#include "ui/resources/resource_window.hpp"
#include "ui/resources/tab_control.hpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWebEngineView>
#include <QWindow>

#include <cstdio>
#include <memory>

namespace {

struct Measure {
    QElapsedTimer clock;
    qint64 shownMs = -1;
    qint64 loadedMs = -1;
};

// Notes the first time the window is exposed on the screen.
class ExposeWatch : public QObject {
public:
    explicit ExposeWatch(Measure& measure) : measure_(measure) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && measure_.shownMs < 0 && static_cast<QWindow*>(watched)->isExposed())
            measure_.shownMs = measure_.clock.elapsed();
        return false;
    }

private:
    Measure& measure_;
};

void report(const Measure& m)
{
    std::printf("shown_ms=%lld loaded_ms=%lld\n", static_cast<long long>(m.shownMs),
                static_cast<long long>(m.loadedMs));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: %s window|bare <start address> <hidden address> [page] [hold-ms]\n", argv[0]);
        return 2;
    }
    const bool bare = args[1] == QStringLiteral("bare");
    const xingfan::ui::StartAddresses start{QUrl(args[2]), QUrl(args[3])};
    const int page = args.size() > 4 ? args[4].toInt() : 0;
    const int holdMs = args.size() > 5 ? args[5].toInt() : 0;

    Measure measure;
    ExposeWatch exposeWatch(measure);
    std::unique_ptr<QWidget> window;
    QTimer::singleShot(0, &app, [&] {
        measure.clock.start();
        QWebEngineView* view = nullptr;
        if (bare) {
            auto bareView = std::make_unique<QWebEngineView>();
            bareView->resize(xingfan::ui::ResourceWindow::kDesignSize);
            bareView->setUrl(start.mainBrowser);
            view = bareView.get();
            window = std::move(bareView);
        } else {
            window = std::make_unique<xingfan::ui::ResourceWindow>(start);
            view = window->findChild<QWebEngineView*>(QStringLiteral("超文本浏览框1"));
            window->findChild<xingfan::ui::TabControl*>(QStringLiteral("高级选择夹7"))->setCurrentIndex(page);
        }
        QObject::connect(view, &QWebEngineView::loadFinished, &app, [&] {
            if (measure.loadedMs >= 0)
                return;
            measure.loadedMs = measure.clock.elapsed();
            report(measure);
            QTimer::singleShot(holdMs, &app, &QApplication::quit);
        });
        window->winId();  // creates the native window, so that its first expose can be watched
        window->windowHandle()->installEventFilter(&exposeWatch);
        window->show();
    });
    return app.exec();
}
