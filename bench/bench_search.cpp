// The media search against find(1), fd and the floor over the same trees on a disk file
// system (kept beside the build between runs): tree M (200,000 files in 20,000 folders up
// to 8 deep, about 5 % photos among near misses) and tree L (1,000,000 photos in 50,000
// folders). The floor is floorwalk, kept beside the repository and built here: the fewest
// system calls that answer the same question, with a given number of reads in flight.
// The search runs in the real window, shown offscreen with its live list; tree L in a
// whole program of its own. Warm: rounds of the four in turn, search.X.ratio against
// find, search.X.fd_ratio against fd and search.X.floor_ratio against the floor with 2
// threads (medians of the per-round ratios). Cold, when the page cache may be emptied:
// search.X.cold_fd_ratio and search.X.cold_floor_ratio against the floor with 32 threads,
// the cache emptied before every run. search.L.rss_mb is the peak resident memory of the
// program that searched tree L. The median times behind the ratios follow them.
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
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/filefind.h"
#include "median.h"

namespace {

const QString kPhotos = QStringLiteral("*.jpg;*.gif;*.bmp;  *.wmf;*.ico");
constexpr int kWarmRounds = 5;
constexpr int kColdRounds = 3;
constexpr int kFloorThreadsWarm = 2;
constexpr int kFloorThreadsCold = 32;

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

// Runs `program` and returns its time in milliseconds, -1 when it could not run.
double processMs(const QString& program, const QStringList& args) {
  QProcess run;
  run.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer clock;
  clock.start();
  run.start(program, args);
  if (!run.waitForFinished(-1) || run.exitStatus() != QProcess::NormalExit) return -1;
  return clock.nsecsElapsed() / 1e6;
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
  return processMs(QStringLiteral("find"), args);
}

// The size filter makes fd ask every length, as the search does.
double fdMs(const QString& root) {
  return processMs(QStringLiteral("fdfind"),
                   {"--no-ignore", "--one-file-system", "-t", "f", "-S", "-100000g", "-e", "jpg",
                    "-e", "gif", "-e", "bmp", "-e", "wmf", "-e", "ico", ".", root});
}

bool haveFd() {
  return processMs(QStringLiteral("fdfind"), {"--version"}) >= 0;
}

// floorwalk, built beside this program from its source beside the repository; empty when
// it cannot be built.
QString buildFloorwalk() {
  const QString source = qEnvironmentVariable(
      "VISTARA_FLOORWALK", QStringLiteral(VISTARA_SOURCE_DIR "/../shared/tools/floorwalk.c"));
  const QString program = QCoreApplication::applicationDirPath() + "/floorwalk";
  if (!QFileInfo::exists(source)) {
    std::fprintf(stderr, "bench_search: %s is missing: no floor keys\n", qPrintable(source));
    return {};
  }
  const int built = QProcess::execute(QStringLiteral("cc"),
                                      {"-O2", "-o", program, source, QStringLiteral("-lpthread")});
  return built == 0 ? program : QString();
}

double floorMs(const QString& floorwalk, const QString& root, int threads) {
  if (floorwalk.isEmpty()) return -1;
  return processMs(floorwalk, {QString::number(threads), root, "jpg", "gif", "bmp", "wmf", "ico"});
}

// Empties the page cache so the next run reads from the disk; false when not allowed.
bool dropCaches() {
  ::sync();
  QFile control(QStringLiteral("/proc/sys/vm/drop_caches"));
  if (!control.open(QIODevice::WriteOnly)) return false;
  return control.write("3\n") == 2;
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

// A whole program that searches once (VISTARA_BENCH_SEARCHES times, for a profiler to
// see the searches more than the start): its time, the files found and its peak memory.
int runChild(const QString& root, int argc, char** argv) {
  QApplication app(argc, argv);
  prepare(app);
  FileFind window;
  window.showCentred();
  double ms = searchMs(window, root);
  for (int i = qEnvironmentVariableIntValue("VISTARA_BENCH_SEARCHES"); i > 1; --i) {
    ms = searchMs(window, root);
  }
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
  std::fflush(stdout);
}

void printKey(const QString& key, double value) {
  print(qPrintable(key), value);
}

void removeTree(const QString& root) {
  QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), root});
}

// The trees stay on the disk beside the build between runs: making tree L takes minutes.
// A stamp names the shape they were made with; a tree without the right stamp is made anew.
QString treeFolder(const QString& name, const TreeShape& shape, unsigned seed) {
  const QString base = qEnvironmentVariable("VISTARA_BENCH_TREES",
                                            QCoreApplication::applicationDirPath() + "/trees");
  const QString root = base + '/' + name;
  const QByteArray stamp = QStringLiteral("%1 folders, %2 files, %3 photos, %4 deep, seed %5\n")
                               .arg(shape.folders)
                               .arg(shape.files)
                               .arg(shape.photoShare)
                               .arg(shape.maxDepth)
                               .arg(seed)
                               .toUtf8();
  QFile stampFile(base + '/' + name + ".stamp");
  if (stampFile.open(QIODevice::ReadOnly) && stampFile.readAll() == stamp &&
      QFileInfo(root).isDir()) {
    return root;
  }
  stampFile.close();
  QFile::remove(stampFile.fileName());
  removeTree(root);
  std::fprintf(stderr, "bench_search: making tree %s in %s\n", qPrintable(name), qPrintable(base));
  if (!QDir().mkpath(root) || !makeTree(root, shape, seed)) {
    removeTree(root);
    return {};
  }
  if (!stampFile.open(QIODevice::WriteOnly) || stampFile.write(stamp) != stamp.size()) return {};
  return root;
}

// One timing of each: ours, find and fd, in the order given by `round` so that none is
// always first after another's reads.
struct Round {
  double ours = -1, find = -1, fd = -1, floor = -1;
  double rssMb = -1;
  int files = 0;
};

using Ours = std::function<Round()>;

struct Medians {
  std::vector<double> ours, find, fd, floor, findRatio, fdRatio, floorRatio, rss;
  int files = 0;
  void add(const Round& r) {
    ours.push_back(r.ours);
    find.push_back(r.find);
    fd.push_back(r.fd);
    floor.push_back(r.floor);
    findRatio.push_back(r.ours / r.find);
    fdRatio.push_back(r.ours / r.fd);
    floorRatio.push_back(r.ours / r.floor);
    rss.push_back(r.rssMb);
    files = r.files;
  }
};

// Rounds of ours, find, fd and the floor one after the other. Cold: the page cache is
// emptied before each run, find is left out (the cold keys compare with fd and the floor)
// and the floor keeps as many reads in flight as a cold disk rewards.
Medians measure(const Ours& ours, const QString& root, const QString& floorwalk, int rounds,
                bool cold) {
  Medians m;
  for (int i = 0; i < rounds; ++i) {
    if (cold) dropCaches();
    Round r = ours();
    if (!cold) r.find = findMs(root);
    if (cold) dropCaches();
    r.fd = fdMs(root);
    if (cold) dropCaches();
    r.floor = floorMs(floorwalk, root, cold ? kFloorThreadsCold : kFloorThreadsWarm);
    m.add(r);
  }
  return m;
}

void benchTree(const QString& name, const QString& root, const QString& floorwalk, const Ours& ours,
               bool cold) {
  ours();  // warm the caches
  findMs(root);
  fdMs(root);
  const Medians warm = measure(ours, root, floorwalk, kWarmRounds, false);
  const QString k = QStringLiteral("search.") + name + '.';
  const bool floor = !floorwalk.isEmpty();
  printKey(k + "ratio", median(warm.findRatio));
  printKey(k + "fd_ratio", median(warm.fdRatio));
  if (floor) printKey(k + "floor_ratio", median(warm.floorRatio));
  printKey(k + "ms", median(warm.ours));
  printKey(k + "find_ms", median(warm.find));
  printKey(k + "fd_ms", median(warm.fd));
  if (floor) printKey(k + "floor_ms", median(warm.floor));
  printKey(k + "files", warm.files);
  if (warm.rss.front() >= 0)
    printKey(k + "rss_mb", *std::max_element(warm.rss.begin(), warm.rss.end()));
  if (!cold) return;
  const Medians c = measure(ours, root, floorwalk, kColdRounds, true);
  printKey(k + "cold_fd_ratio", median(c.fdRatio));
  if (floor) printKey(k + "cold_floor_ratio", median(c.floorRatio));
  printKey(k + "cold_ms", median(c.ours));
  printKey(k + "cold_fd_ms", median(c.fd));
  if (floor) printKey(k + "cold_floor_ms", median(c.floor));
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
  if (!haveFd()) {
    std::fprintf(stderr, "bench_search: fdfind is missing (scripts/install-deps installs it)\n");
    return 1;
  }
  const QString floorwalk = buildFloorwalk();
  const bool cold = dropCaches();
  if (!cold) std::fprintf(stderr, "bench_search: cannot drop the page cache: no cold keys\n");
  int status = 0;
  const QString treeM = treeFolder(QStringLiteral("M"), kShapeM, kSeedM);
  if (!treeM.isEmpty()) {
    FileFind window;
    window.showCentred();
    benchTree(
        QStringLiteral("M"), treeM, floorwalk,
        [&] {
          Round r;
          r.ours = searchMs(window, treeM);
          r.files = window.fileCount;
          return r;
        },
        cold);
  } else {
    std::fprintf(stderr, "bench_search: could not make tree M\n");
    status = 1;
  }
  const QString treeL = treeFolder(QStringLiteral("L"), kShapeL, kSeedL);
  if (!treeL.isEmpty()) {
    benchTree(
        QStringLiteral("L"), treeL, floorwalk,
        [&] {
          const ChildRun run = childSearch(treeL);
          Round r;
          r.ours = run.ms;
          r.files = run.files;
          r.rssMb = run.rssMb;
          return r;
        },
        cold);
  } else {
    std::fprintf(stderr, "bench_search: could not make tree L\n");
    status = 1;
  }
  return status;
}
