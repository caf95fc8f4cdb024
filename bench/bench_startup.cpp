// Start-up to the window shown, against an empty Qt window started the same way.
// Prints `startup.ratio` (median of paired ratios) and the two medians in ms.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStyleFactory>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

#include "app/filefind.h"
#include "median.h"

namespace {

// Ends the process at the first expose of the window: that is when a person sees it.
class ExposeWatch : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Expose) {
      std::fflush(nullptr);
      _exit(0);
    }
    return false;
  }
};

int runChild(bool vistara, int argc, char** argv) {
  QApplication app(argc, argv);
  ExposeWatch watch;
  if (vistara) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    std::setlocale(LC_NUMERIC, "C");
    auto* window = new FileFind;
    window->winId();
    window->windowHandle()->installEventFilter(&watch);
    window->showCentred();
  } else {
    auto* window = new QWidget;
    window->resize(640, 480);
    window->winId();
    window->windowHandle()->installEventFilter(&watch);
    window->show();
  }
  return app.exec();
}

double launchMs(const QString& mode) {
  QElapsedTimer clock;
  clock.start();
  QProcess child;
  child.start(QCoreApplication::applicationFilePath(), {mode});
  child.waitForFinished(60000);
  return clock.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && QByteArray(argv[1]) == "--vistara") return runChild(true, argc, argv);
  if (argc > 1 && QByteArray(argv[1]) == "--empty") return runChild(false, argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QCoreApplication app(argc, argv);
  std::vector<double> ratios, ours, empty;
  launchMs("--empty");  // warm the caches once
  launchMs("--vistara");
  for (int i = 0; i < 11; ++i) {
    const double e = launchMs("--empty");
    const double v = launchMs("--vistara");
    empty.push_back(e);
    ours.push_back(v);
    ratios.push_back(v / e);
  }
  std::printf("startup.ratio %.2f\n", median(ratios));
  std::printf("startup.vistara_ms %.1f\n", median(ours));
  std::printf("startup.empty_ms %.1f\n", median(empty));
  return 0;
}
