// Every real sample file, each opened in a child process with a time limit, so a file that
// crashes or hangs a reader is named instead of taking the test run down.
//
// The test program is its own child: started with "--check KIND LISTFILE" it opens each
// file named in LISTFILE with the checker for KIND and prints one result line per file.
// Adding a kind of sample (films, sound, music) means adding a checker and a folder row.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryFile>
#include <QTextStream>
#include <QtTest>

#include <cstdio>
#include <functional>

#include "pictures/pictureloader.h"
#include "support/child.h"
#include "support/samples.h"

namespace {

constexpr int kBatchSize = 80;
constexpr int kSecondsPerFile = 10;  // generous: a file that takes longer counts as hung
const QSize kFitBox(477, 289);

QString samplesDir() {
  return samplesFolder();
}

// ---- The child's side: open files, print "RESULT<tab>status<tab>detail<tab>path". ----

struct Outcome {
  bool opened = false;
  QString detail;  // opened: "natural-w natural-h blank(0/1)"; refused: the reason
};

bool isBlank(const QImage& image) {
  QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  const QRgb first = argb.pixel(0, 0);
  for (int y = 0; y < argb.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x)
      if (line[x] != first) return false;
  }
  return true;
}

Outcome checkPicture(const QString& path) {
  LoadedPicture pic;
  QString error;
  if (!loadPicture(path, kFitBox, &pic, &error)) return {false, error.simplified()};
  if (pic.image.isNull()) return {false, QStringLiteral("loaded without an image")};
  // Draw it fitted, as the photo panel does.
  QImage panel(kFitBox, QImage::Format_ARGB32_Premultiplied);
  panel.fill(Qt::transparent);
  QPainter painter(&panel);
  QSize fitted = pic.image.size().scaled(kFitBox, Qt::KeepAspectRatio);
  painter.drawImage(QRect(QPoint(0, 0), fitted), pic.image);
  painter.end();
  return {true, QString("%1 %2 %3")
                    .arg(pic.naturalTwips.width())
                    .arg(pic.naturalTwips.height())
                    .arg(isBlank(pic.image) ? 1 : 0)};
}

using Checker = std::function<Outcome(const QString&)>;

Checker checkerFor(const QString& kind) {
  if (kind == QLatin1String("pictures")) return checkPicture;
  return nullptr;
}

int childMain(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  Checker check = argc >= 4 ? checkerFor(QString::fromLocal8Bit(argv[2])) : nullptr;
  QFile list(QString::fromLocal8Bit(argc >= 4 ? argv[3] : ""));
  if (!check || !list.open(QIODevice::ReadOnly)) return 2;
  QTextStream out(stdout);
  for (const QString& path : QString::fromUtf8(list.readAll()).split('\n', Qt::SkipEmptyParts)) {
    Outcome o = check(path);
    out << "RESULT\t" << (o.opened ? "opened" : "refused") << '\t' << o.detail << '\t' << path
        << '\n';
    out.flush();
  }
  return 0;
}

// ---- The parent's side. ----

enum class Expect { Open, Survive };

struct Result {
  enum { Opened, Refused, Crashed, Hung } status = Crashed;
  QString detail;
};

// Runs the files through a child; files without a result line come back as crashed or hung.
QMap<QString, Result> runChild(const QString& kind, const QStringList& files) {
  QMap<QString, Result> results;
  QTemporaryFile list;
  if (!list.open()) return results;
  list.write(files.join('\n').toUtf8());
  list.flush();
  const ChildRun child =
      runSelf({"--check", kind, list.fileName()}, 1000 * (5 + kSecondsPerFile * int(files.size())));
  const bool finished = child.finished;
  const QStringList lines = QString::fromUtf8(child.out).split('\n');
  for (const QString& line : lines) {
    QStringList f = line.split('\t');
    if (f.size() != 4 || f[0] != QLatin1String("RESULT")) continue;
    results[f[3]] = {f[1] == QLatin1String("opened") ? Result::Opened : Result::Refused, f[2]};
  }
  for (const QString& file : files)
    if (!results.contains(file))
      results[file] = {finished ? Result::Crashed : Result::Hung, child.error};
  return results;
}

// Batches for speed; a batch that broke is run again file by file to name the culprit.
QMap<QString, Result> runAll(const QString& kind, const QStringList& files) {
  QMap<QString, Result> all;
  for (int i = 0; i < files.size(); i += kBatchSize) {
    QStringList batch = files.mid(i, kBatchSize);
    QMap<QString, Result> got = runChild(kind, batch);
    bool broke = std::any_of(got.cbegin(), got.cend(), [](const Result& r) {
      return r.status == Result::Crashed || r.status == Result::Hung;
    });
    if (broke && batch.size() > 1)
      for (const QString& file : batch) got[file] = runChild(kind, {file}).value(file);
    all.insert(got);
  }
  return all;
}

// Sample files that are blank by their own content (checked by hand): placeholder
// thumbnails of white on white, a white bitmap, one-colour bitmaps from fuzzing, and one
// whose text lies outside its own window. They must still open.
const QMap<QString, QString> kBlankByContent = {
    {"9ce3c21b0920", "white bitmap"},
    {"d53f1efa03d3", "white bitmap"},
    {"b8acdb9433de", "white shape on white"},
    {"2868eaadbf36", "white shape on white"},
    {"99da8c44ddd0", "white shape on white"},
    {"997549f80506", "white shape on white"},
    {"cb87a0fa231a", "one-colour bitmap"},
    {"61056296f1af", "one-colour bitmap"},
    {"bb8feee0334a", "text drawn outside the picture's window"},
    {"e4f3ee8fd32a", "draws nothing at all: no size to show"},
};

QString blankReason(const QString& path) {
  for (auto it = kBlankByContent.cbegin(); it != kBlankByContent.cend(); ++it)
    if (QFileInfo(path).completeBaseName().endsWith(it.key())) return it.value();
  return QString();
}

// Natural size between one pixel and 1000 inches a side.
bool plausible(const QString& detail) {
  QStringList f = detail.split(' ');
  if (f.size() != 3) return false;
  double w = f[0].toDouble(), h = f[1].toDouble();
  return w >= 15 && h >= 15 && w <= 1440000 && h <= 1440000;
}

}  // namespace

class TestSamples : public QObject {
  Q_OBJECT

 private slots:
  void pictures_data();
  void pictures();
};

void TestSamples::pictures_data() {
  QTest::addColumn<QString>("folder");
  QTest::addColumn<int>("expect");
  QTest::newRow("wmf/corpus") << "wmf/corpus" << int(Expect::Open);
  QTest::newRow("wmf/reference") << "wmf/reference" << int(Expect::Open);
  QTest::newRow("photos") << "photos" << int(Expect::Open);
  QTest::newRow("photos/bmp-good") << "photos/bmp-good" << int(Expect::Open);
  QTest::newRow("wmf/hostile") << "wmf/hostile" << int(Expect::Survive);
  QTest::newRow("photos/bmp-bad") << "photos/bmp-bad" << int(Expect::Survive);
}

void TestSamples::pictures() {
  QFETCH(QString, folder);
  QFETCH(int, expect);
  QDir dir(samplesDir() + "/" + folder);
  if (samplesDir().isEmpty() || !dir.exists())
    QSKIP("sample files not available (set VISTARA_SAMPLES)");
  QStringList files;
  for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) files << dir.filePath(name);
  QVERIFY(!files.isEmpty());

  const QMap<QString, Result> results = runAll("pictures", files);
  QStringList problems;
  int opened = 0;
  for (auto it = results.cbegin(); it != results.cend(); ++it) {
    const Result& r = it.value();
    QString name = QFileInfo(it.key()).fileName();
    if (r.status == Result::Crashed || r.status == Result::Hung) {
      problems << QString("%1 %2").arg(r.status == Result::Hung ? "HUNG" : "CRASHED", name);
      continue;
    }
    opened += r.status == Result::Opened;
    if (Expect(expect) != Expect::Open) continue;
    QString known = blankReason(it.key());
    if (r.status == Result::Refused && known.isEmpty())
      problems << QString("refused %1: %2").arg(name, r.detail);
    else if (r.status == Result::Opened && !plausible(r.detail))
      problems << QString("implausible size %1: %2").arg(name, r.detail);
    else if (r.status == Result::Opened && r.detail.endsWith(" 1") && known.isEmpty())
      problems << QString("blank %1").arg(name);
  }
  qInfo("%s: %d files, %d opened", qPrintable(folder), int(files.size()), opened);
  QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
}

int main(int argc, char** argv) {
  if (argc >= 2 && qstrcmp(argv[1], "--check") == 0) return childMain(argc, argv);
  QGuiApplication app(argc, argv);
  TestSamples test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_samples.moc"
