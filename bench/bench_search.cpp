// The media search against find(1) over the same trees, warm cache, in alternating pairs:
// tree M (200,000 files in 20,000 folders up to 8 deep, about 5 % photos among near
// misses) and tree L (1,000,000 photos in 50,000 folders). The search runs in the real
// window, shown offscreen with its live list. Prints search.M.ratio and search.L.ratio
// (medians of the paired ratios), search.L.rss_mb (the peak resident memory of a whole
// program that searched tree L), and the median times behind the ratios.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStyleFactory>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/filefind.h"
#include "median.h"

namespace {

const QString kPhotos = QStringLiteral("*.jpg;*.gif;*.bmp;  *.wmf;*.ico");
constexpr int kPairsM = 7;
constexpr int kPairsL = 5;

struct TreeShape {
  int folders;
  int files;
  double photoShare;
  int maxDepth;
};

const TreeShape kShapeM{20000, 200000, 0.05, 8};
const TreeShape kShapeL{50000, 1000000, 1.0, 8};
constexpr unsigned kSeedM = 20240601u;
constexpr unsigned kSeedL = 20240602u;

const char* const kPhotoEndings[] = {".jpg", ".JPG", ".Jpg", ".jPg", ".gif",
                                     ".GIF", ".bmp", ".BMP", ".wmf", ".ico"};
const char* const kOtherEndings[] = {".jpeg", ".jpg.txt", ".JPEG", ".txt", ".doc",  ".png",
                                     ".mp3",  ".dat",     ".jpgx", ".pdf", ".html", ""};
const char* const kStems[] = {"IMG_", "foto ", "Doc-", "dsc", "Férias_", "scan", "a", "Z"};

template <class T, size_t N>
const T& pick(const T (&items)[N], std::mt19937& rng) {
  return items[std::uniform_int_distribution<size_t>(0, N - 1)(rng)];
}

bool makeFile(int dirFd, const std::string& name, off_t size) {
  const int fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = size == 0 || ::ftruncate(fd, size) == 0;  // a hole: sizes cost nothing
  ::close(fd);
  return ok;
}

// Folders hang below random earlier folders, no deeper than maxDepth; files go to random
// folders with sizes from 0 to 5 MB. The same seed gives the same tree.
bool makeTree(const QString& root, const TreeShape& shape, unsigned seed) {
  std::mt19937 rng(seed);
  const std::string base = QFile::encodeName(root).toStdString();
  std::vector<std::string> paths{base};
  std::vector<int> depth{0};
  std::vector<int> open{0};  // folders that may still take subfolders
  for (int i = 1; i < shape.folders; ++i) {
    const size_t at = std::uniform_int_distribution<size_t>(0, open.size() - 1)(rng);
    const int parent = open[at];
    paths.push_back(paths[size_t(parent)] + "/d" + std::to_string(i));
    depth.push_back(depth[size_t(parent)] + 1);
    if (::mkdir(paths.back().c_str(), 0755) != 0) return false;
    if (depth.back() < shape.maxDepth) open.push_back(i);
  }
  std::vector<std::vector<int>> filesOf(paths.size());
  std::uniform_int_distribution<size_t> folderOf(0, paths.size() - 1);
  for (int f = 0; f < shape.files; ++f) filesOf[folderOf(rng)].push_back(f);
  std::uniform_real_distribution<double> share(0.0, 1.0);
  std::uniform_int_distribution<off_t> size(0, 5 * 1024 * 1024);
  for (size_t d = 0; d < paths.size(); ++d) {
    const int fd = ::open(paths[d].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    for (int f : filesOf[d]) {
      const bool photo = share(rng) < shape.photoShare;
      const std::string name = std::string(pick(kStems, rng)) + std::to_string(f) +
                               (photo ? pick(kPhotoEndings, rng) : pick(kOtherEndings, rng));
      if (!makeFile(fd, name, size(rng))) {
        ::close(fd);
        return false;
      }
    }
    ::close(fd);
  }
  return true;
}

double findMs(const QString& root) {
  QStringList args{root, "-xdev", "-type", "f", "("};
  bool first = true;
  for (const char* p : {"*.jpg", "*.gif", "*.bmp", "*.wmf", "*.ico"}) {
    if (!first) args << "-o";
    args << "-iname" << p;
    first = false;
  }
  args << ")"
       << "-printf"
       << "%s %p\n";
  QProcess find;
  find.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer clock;
  clock.start();
  find.start(QStringLiteral("find"), args);
  find.waitForFinished(-1);
  return clock.nsecsElapsed() / 1e6;
}

// One search by the window's own controls; returns its time in milliseconds.
double searchMs(FileFind& window, const QString& root) {
  window.Dir1->setPath(root);
  window.Text1->setText(kPhotos);
  QApplication::processEvents();
  QElapsedTimer clock;
  clock.start();
  window.cmdIniciar->click();
  const double ms = clock.nsecsElapsed() / 1e6;
  QApplication::processEvents();
  return ms;
}

void prepare(QApplication&) {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  std::setlocale(LC_NUMERIC, "C");
}

qint64 peakResidentKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
  }
  return -1;
}

// A whole program that searches once: its time, the files found and its peak memory.
int runChild(const QString& root, int argc, char** argv) {
  QApplication app(argc, argv);
  prepare(app);
  FileFind window;
  window.showCentred();
  const double ms = searchMs(window, root);
  std::printf("%.3f %d %lld\n", ms, window.fileCount, peakResidentKb());
  std::fflush(stdout);
  _exit(0);  // the lists need no tidying up
}

struct ChildRun {
  double ms = -1;
  int files = 0;
  double rssMb = -1;
};

ChildRun childSearch(const QString& root) {
  QProcess child;
  child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), root});
  child.waitForFinished(-1);
  const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
  if (parts.size() != 3) return {};
  return {parts[0].toDouble(), parts[1].toInt(), parts[2].toDouble() / 1024.0};
}

void print(const char* key, double value) {
  std::printf("%s %.3f\n", key, value);
}

QString workFolder() {
  const QFileInfo shm(QStringLiteral("/dev/shm"));
  const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
  QByteArray templ = QFile::encodeName(base + QStringLiteral("/vistara-bench-XXXXXX"));
  return ::mkdtemp(templ.data()) ? QFile::decodeName(templ) : QString();
}

void removeTree(const QString& root) {
  QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), root});
}

void benchTreeM(FileFind& window, const QString& root) {
  searchMs(window, root);  // warm both caches
  findMs(root);
  std::vector<double> ratios, ours, theirs;
  for (int i = 0; i < kPairsM; ++i) {
    const double a = searchMs(window, root);
    const double b = findMs(root);
    ours.push_back(a);
    theirs.push_back(b);
    ratios.push_back(a / b);
  }
  print("search.M.ratio", median(ratios));
  print("search.M.ms", median(ours));
  print("search.M.find_ms", median(theirs));
  print("search.M.files", window.fileCount);
}

void benchTreeL(const QString& root) {
  childSearch(root);
  findMs(root);
  std::vector<double> ratios, ours, theirs, rss;
  int files = 0;
  for (int i = 0; i < kPairsL; ++i) {
    const ChildRun run = childSearch(root);
    const double b = findMs(root);
    ours.push_back(run.ms);
    theirs.push_back(b);
    ratios.push_back(run.ms / b);
    rss.push_back(run.rssMb);
    files = run.files;
  }
  print("search.L.ratio", median(ratios));
  print("search.L.rss_mb", *std::max_element(rss.begin(), rss.end()));
  print("search.L.ms", median(ours));
  print("search.L.find_ms", median(theirs));
  print("search.L.files", files);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc > 2 && QByteArray(argv[1]) == "--child") {
    return runChild(QString::fromLocal8Bit(argv[2]), argc, argv);
  }
  if (argc > 3 && QByteArray(argv[1]) == "--make") {  // keeps a tree for profiling
    const bool large = QByteArray(argv[2]) == "L";
    const QString root = QString::fromLocal8Bit(argv[3]);
    const TreeShape shape = large ? kShapeL : kShapeM;
    return QDir().mkpath(root) && makeTree(root, shape, large ? kSeedL : kSeedM) ? 0 : 1;
  }
  QApplication app(argc, argv);
  prepare(app);
  const QString work = workFolder();
  if (work.isEmpty()) {
    std::fprintf(stderr, "bench_search: no temporary folder\n");
    return 1;
  }
  const QString treeM = work + QStringLiteral("/M");
  const QString treeL = work + QStringLiteral("/L");
  int status = 0;
  if (QDir().mkpath(treeM) && makeTree(treeM, kShapeM, kSeedM)) {
    FileFind window;
    window.showCentred();
    benchTreeM(window, treeM);
  } else {
    std::fprintf(stderr, "bench_search: could not make tree M\n");
    status = 1;
  }
  removeTree(treeM);
  if (QDir().mkpath(treeL) && makeTree(treeL, kShapeL, kSeedL)) {
    benchTreeL(treeL);
  } else {
    std::fprintf(stderr, "bench_search: could not make tree L\n");
    status = 1;
  }
  removeTree(work);
  return status;
}
