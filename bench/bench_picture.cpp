// Picture benchmarks, printed as "key value" lines:
//   picture.wmf.median_ms, picture.wmf.max_ms  loading each sample metafile fitted to the
//                                              photo panel (477 x 289 pixels)
//   picture.jpeg24.ratio                       a 24-megapixel photo fitted to the panel,
//                                              against `djpeg -scale 1/8` on the same file
//   picture.huge.ms, picture.huge.ratio        a 22,500 x 33,300 poster (750 megapixels)
//                                              fitted to the panel: median time, and
//                                              against `djpeg -scale 1/8`
//   picture.huge.rss_mb                        the process's peak resident memory, measured
//                                              first, through the poster's openings
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/filefind.h"
#include "median.h"
#include "controls/imagebox.h"
#include "pictures/pictureloader.h"
#include "support/hugepictures.h"
#include "support/memory.h"

namespace {

const QSize kPanel(477, 289);

double timeMs(const std::function<void()>& work) {
  QElapsedTimer clock;
  clock.start();
  work();
  return clock.nsecsElapsed() / 1e6;
}

QString samplesDir() {
  for (const char* name : {"VISTARA_SAMPLES", "VISTARA_SAMPLES_DEFAULT"})
    if (qEnvironmentVariableIsSet(name)) return qEnvironmentVariable(name);
  // The samples sit beside the repository.
  return QStringLiteral(VISTARA_SOURCE_DIR "/../shared/samples");
}

// A 6000 x 4000 photo that compresses like one: smooth gradients, grain and shapes.
QString makePhoto(const QString& folder) {
  QImage image(6000, 4000, QImage::Format_RGB32);
  QRandomGenerator noise(24);
  for (int y = 0; y < image.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      int grain = int(noise.bounded(24u)) - 12;
      line[x] = qRgb(qBound(0, x * 255 / 6000 + grain, 255), qBound(0, y * 255 / 4000 + grain, 255),
                     qBound(0, 128 + (x - y) * 64 / 6000 + grain, 255));
    }
  }
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QRandomGenerator shapes(7);
  for (int i = 0; i < 60; ++i) {
    p.setBrush(QColor::fromHsv(int(shapes.bounded(360u)), 160, 200, 140));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(shapes.bounded(6000.0), shapes.bounded(4000.0)),
                  100 + shapes.bounded(700.0), 100 + shapes.bounded(500.0));
  }
  p.end();
  QString path = QDir(folder).filePath("photo24.jpg");
  image.save(path, "jpg", 90);
  return path;
}

// Median over paired runs of ours / reference, the two run alternately.
double pairedRatio(const std::function<void()>& ours, const std::function<void()>& reference,
                   int pairs) {
  ours();  // warm the file cache and the plugins
  reference();
  std::vector<double> ratios;
  for (int i = 0; i < pairs; ++i) {
    double a = timeMs(ours);
    double b = timeMs(reference);
    if (b > 0) ratios.push_back(a / b);
  }
  return median(ratios);
}

void benchMetafiles() {
  QDir dir(samplesDir() + "/wmf/corpus");
  std::vector<double> times;
  const QStringList names = dir.entryList(QDir::Files, QDir::Name);
  if (!names.isEmpty()) {  // the first text drawn loads the font database: not a picture's cost
    LoadedPicture warm;
    loadPicture(dir.filePath(names.first()), kPanel, &warm);
  }
  for (const QString& name : names) {
    QString path = dir.filePath(name);
    LoadedPicture pic;
    times.push_back(timeMs([&] { loadPicture(path, kPanel, &pic); }));
  }
  if (times.empty()) {
    std::fprintf(stderr, "no metafiles in %s\n", qPrintable(dir.path()));
    return;
  }
  std::printf("picture.wmf.median_ms %.2f\n", median(times));
  std::printf("picture.wmf.max_ms %.2f\n", *std::max_element(times.begin(), times.end()));
}

// Through the window itself: the photo panel's fitting routine into Image1, drawn.
void benchJpeg() {
  QTemporaryDir dir;
  QString path = makePhoto(dir.path());
  FileFind window;
  window.showCentred();
  window.frmFoto->setVisible(true);
  auto ours = [&] {
    window.fitPicture(window.Image1, path, FileFind::Fit::Panel);
    window.Image1->repaint();
  };
  auto djpeg = [&] {
    QProcess::execute("djpeg", {"-scale", "1/8", "-outfile", "/dev/null", path});
  };
  std::printf("picture.jpeg24.ratio %.3f\n", pairedRatio(ours, djpeg, 9));
}

// The window opening a poster far larger than memory would hold whole, from the first
// picture the process shows, so that the peak is the poster's.
void benchHugeJpeg() {
  QTemporaryDir dir;
  const QString path = dir.filePath("poster.jpg");
  if (!writeOneColourJpeg(path, 22500, 33300, QColor(40, 120, 200))) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return;
  }
  FileFind window;
  window.showCentred();
  window.frmFoto->setVisible(true);
  QCoreApplication::processEvents();
  resetPeakResident();
  auto ours = [&] {
    window.fitPicture(window.Image1, path, FileFind::Fit::Panel);
    window.Image1->repaint();
  };
  auto djpeg = [&] {
    QProcess::execute("djpeg", {"-scale", "1/8", "-outfile", "/dev/null", path});
  };
  std::vector<double> times;
  for (int i = 0; i < 3; ++i) times.push_back(timeMs(ours));
  std::printf("picture.huge.ms %.0f\n", median(times));
  std::printf("picture.huge.rss_mb %.0f\n", peakResidentMb());
  std::printf("picture.huge.ratio %.3f\n", pairedRatio(ours, djpeg, 3));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchHugeJpeg();
  benchMetafiles();
  benchJpeg();
  return 0;
}
