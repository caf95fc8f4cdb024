// Drives that stop answering, on a real FUSE file system that holds back the listing of
// one folder and every statfs of its mount until the test releases them.
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <time.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "files/mounts.h"
#include "support/fakes.h"
#include "support/input.h"

namespace {

const QString kPhotos = QStringLiteral("*.jpg;*.gif;*.bmp;  *.wmf;*.ico");
const QString kNotReady = QStringLiteral("Dispositivo não está preparado...");

QStringList lines(const ListBox* list) {
  QStringList out;
  for (int i = 0; i < list->listCount(); ++i) out.append(list->list(i));
  return out;
}

// Milliseconds on the monotonic clock, the same in every process.
qint64 monotonicMs() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool isMounted(const QString& point) {
  for (const MountEntry& m : readMountTable()) {
    if (m.mountPoint == point) return true;
  }
  return false;
}

// The held-back file system, mounted in a temporary folder for one test.
class StalledMount {
 public:
  // `ignoringInterrupts`: held calls stay held when their caller is ending, so that the
  // caller's process cannot end before the release.
  explicit StalledMount(const QString& heldFolder, bool ignoringInterrupts = false) {
#ifdef VISTARA_STALLFS
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse"))) {
      why_ = QStringLiteral("no /dev/fuse on this machine");
      return;
    }
    marker_ = dir_.filePath(QStringLiteral("held"));
    point_ = dir_.filePath(QStringLiteral("mnt"));
    QDir().mkpath(point_);
    fs_.setProcessChannelMode(QProcess::ForwardedChannels);
    QStringList args{point_, heldFolder, marker_};
    if (ignoringInterrupts) args << QStringLiteral("ignore-interrupts");
    fs_.start(QStringLiteral(VISTARA_STALLFS), args);
    QElapsedTimer clock;
    clock.start();
    while (!isMounted(point_) && clock.elapsed() < 10000 && fs_.state() != QProcess::NotRunning) {
      fs_.waitForFinished(20);
    }
    if (!isMounted(point_)) why_ = QStringLiteral("the FUSE file system could not be mounted");
#else
    Q_UNUSED(heldFolder);
    Q_UNUSED(ignoringInterrupts);
    why_ = QStringLiteral("built without libfuse3");
#endif
  }
  ~StalledMount() {
    if (fs_.state() == QProcess::NotRunning) return;
    ::umount2(QFile::encodeName(point_).constData(), MNT_DETACH);
    fs_.kill();  // calls still held back fail instead of waiting on
    fs_.waitForFinished(5000);
  }
  QString unavailable() const {
    return why_;
  }  // empty when mounted
  QString root() const {
    return point_;
  }
  QString path(const QString& relative) const {
    return point_ + '/' + relative;
  }
  bool holding() const {
    return QFileInfo::exists(marker_);
  }  // a call is held back
  void release() {
    ::kill(pid_t(fs_.processId()), SIGUSR1);
  }

 private:
  QTemporaryDir dir_;  // not on /dev: that would not count as a drive
  QString point_, marker_, why_;
  QProcess fs_;
};

// A virtual X display of its own for one test, when the machine has Xvfb.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    server_.start(QStringLiteral("Xvfb"),
                  {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    QElapsedTimer clock;
    clock.start();
    while (!server_.canReadLine() && clock.elapsed() < 10000 &&
           server_.state() != QProcess::NotRunning)
      server_.waitForReadyRead(100);
    if (server_.canReadLine()) name_ = ':' + QString::fromLatin1(server_.readLine().trimmed());
  }
  ~VirtualDisplay() {
    server_.kill();
    server_.waitForFinished(5000);
  }
  QString name() const { return name_; }  // empty when no display could be started

  // Whether a window titled "Vistara" is on the screen (mapped and viewable).
  bool showsTheWindow() const {
    QProcess search;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), name_);
    search.setProcessEnvironment(env);
    search.start(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", "^Vistara$"});
    search.waitForFinished(5000);
    return !search.readAllStandardOutput().trimmed().isEmpty();
  }

 private:
  QProcess server_;
  QString name_;
};

// Searches `root` for photos the way a person does; `whileHeld` runs once the search has
// listed `before` lines and has let events run three times while a call is held back.
void searchWhileHeld(FileFind& w, const StalledMount& fs, int before,
                     const std::function<void()>& whileHeld) {
  QVERIFY(w.Dir1->setPath(fs.root()));
  w.Text1->setText(kPhotos);
  QTimer poll;
  int ticks = 0;
  QObject::connect(&poll, &QTimer::timeout, &w, [&] {
    if (w.List2->listCount() < before || !fs.holding() || ++ticks < 3) return;
    poll.stop();
    whileHeld();
  });
  poll.start(10);
  QTest::mouseClick(w.cmdIniciar, Qt::LeftButton);
}

}  // namespace

class StalledDriveTest : public QObject {
  Q_OBJECT

 private slots:
  // Mounts made here stay out of every other process's sight.
  void initTestCase() {
    QLocale::setDefault(QLocale(QStringLiteral("pt_BR")));
    if (::unshare(CLONE_NEWNS) == 0) ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
  }

  // Lines of the kernel's mount table: blanks escaped in octal, optional fields before
  // the separator, and lines too short to be entries.
  void mountTableLines_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("points");  // mount point|type|source
    QTest::newRow("plain") << QByteArray("22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n")
                           << QStringList{"/|ext4|/dev/sda1"};
    QTest::newRow("escaped blank")
        << QByteArray("30 22 0:40 / /media/my\\040stick rw - vfat /dev/sdb1 rw\n")
        << QStringList{"/media/my stick|vfat|/dev/sdb1"};
    QTest::newRow("no optional fields, a share")
        << QByteArray("31 22 0:41 / /mnt/share rw - nfs4 server:/export rw\n")
        << QStringList{"/mnt/share|nfs4|server:/export"};
    QTest::newRow("broken lines")
        << QByteArray("garbage\n\n31 22 0:41 / /x rw\n5 1 0:1 / /ok rw - tmpfs none rw")
        << QStringList{"/ok|tmpfs|none"};
  }
  void mountTableLines() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, points);
    QStringList parsed;
    for (const MountEntry& m : parseMountTable(text)) {
      parsed.append(m.mountPoint + '|' + QString::fromLatin1(m.type) + '|' + m.source);
    }
    QCOMPARE(parsed, points);
  }

  // Parar pressed while a folder listing is held back: the search ends at once with the
  // lines found before it; after the release, a new search finds everything.
  void stopWhileAListingIsHeld() {
    StalledMount fs(QStringLiteral("/slow"));
    if (!fs.unavailable().isEmpty()) QSKIP(qPrintable(fs.unavailable()));
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QElapsedTimer sincePressed;
    searchWhileHeld(w, fs, 3, [&] {
      sincePressed.start();
      QTest::mouseClick(w.cmdParar, Qt::LeftButton);
    });
    QVERIFY(sincePressed.isValid());
    qInfo("the search ended %lld ms after Parar", sincePressed.elapsed());
    QVERIFY2(sincePressed.elapsed() < 500, qPrintable(QString::number(sincePressed.elapsed())));
    QCOMPARE(lines(w.List2),
             (QStringList{fs.path("r.jpg"), fs.path("a/1.jpg"), fs.path("a/2.jpg")}));
    QCOMPARE(w.totalBytes, qint64(512 + 1024 + 2048));
    QCOMPARE(w.lblConta->text(), QStringLiteral("0, MB em  3 Arquivos"));  // 0.0035 MB
    QVERIFY(w.cmdIniciar->isEnabled());

    fs.release();
    QTest::mouseClick(w.cmdIniciar, Qt::LeftButton);
    QCOMPARE(lines(w.List2), (QStringList{fs.path("r.jpg"), fs.path("a/1.jpg"), fs.path("a/2.jpg"),
                                          fs.path("slow/s.jpg"), fs.path("z/3.jpg")}));
    QCOMPARE(w.fileCount, 5);
    QCOMPARE(w.totalBytes, qint64(10752));
  }

  // Saida (or the close box) pressed while a listing is held back, in a program on a
  // display of its own: the window leaves the screen at once. When the share gives the
  // held call up, the program ends at once with success; when it ignores interrupts (a
  // hung network share), the kernel keeps the process until the share answers, and it
  // ends with success then.
  void exitWhileAListingIsHeld_data() {
    QTest::addColumn<bool>("ignoringInterrupts");
    QTest::addColumn<QString>("gesture");
    QTest::newRow("Saida, the call given up") << false << "Saida";
    QTest::newRow("Saida, interrupts ignored") << true << "Saida";
    QTest::newRow("close box, interrupts ignored") << true << "close";
  }

  void exitWhileAListingIsHeld() {
    QFETCH(bool, ignoringInterrupts);
    QFETCH(QString, gesture);
    const QString childRoot = qEnvironmentVariable("VISTARA_HELD_EXIT_CHILD");
    if (!childRoot.isEmpty()) {
      // The parent holds the mount; this child searches it and ends when told to.
      TestWindow t = makeTestWindow();
      FileFind& w = *t.window;
      w.showCentred();
      QVERIFY(QTest::qWaitForWindowExposed(&w));
      QVERIFY(w.Dir1->setPath(childRoot));
      w.Text1->setText(kPhotos);
      QTimer poll;
      int ticks = 0;
      const QString marker = qEnvironmentVariable("VISTARA_HELD_MARKER");
      connect(&poll, &QTimer::timeout, &w, [&] {
        if (w.List2->listCount() < 3 || !QFileInfo::exists(marker) || ++ticks < 3) return;
        if (ticks == 3) {
          std::printf("ready\n");
          std::fflush(stdout);
        }
        pollfd told{0, POLLIN, 0};  // the parent has seen the window: go
        if (::poll(&told, 1, 0) <= 0) return;
        std::printf("pressed %lld\n", monotonicMs());
        std::fflush(stdout);
        if (gesture == "close") {
          w.close();
        } else {
          QTest::mouseClick(w.cmdSaida, Qt::LeftButton);
        }
      });
      poll.start(10);
      QTest::mouseClick(w.cmdIniciar, Qt::LeftButton);
      QFAIL("the search went on after the exit");
    }
    StalledMount fs(QStringLiteral("/slow"), ignoringInterrupts);
    if (!fs.unavailable().isEmpty()) QSKIP(qPrintable(fs.unavailable()));
    VirtualDisplay display;
    if (display.name().isEmpty()) QSKIP("no virtual display (Xvfb) on this machine");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VISTARA_HELD_EXIT_CHILD", fs.root());
    env.insert("VISTARA_HELD_MARKER", QFileInfo(fs.root()).path() + QStringLiteral("/held"));
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("DISPLAY", display.name());
    child.setProcessEnvironment(env);
    // Should a check fail, the share answers before the child is put down.
    const auto answerAtLast = qScopeGuard([&] { fs.release(); });
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("exitWhileAListingIsHeld:") + QTest::currentDataTag()});
    QByteArray out;
    auto waitFor = [&](const QByteArray& what) {
      QElapsedTimer clock;
      clock.start();
      while (!out.contains(what) && clock.elapsed() < 30000 &&
             child.state() != QProcess::NotRunning) {
        child.waitForReadyRead(50);
        out += child.readAllStandardOutput();
      }
      return out.contains(what);
    };
    QVERIFY2(waitFor("ready\n"), out.constData());
    QVERIFY(display.showsTheWindow());
    child.write("go\n");
    child.closeWriteChannel();
    QVERIFY2(waitFor("pressed "), out.constData());
    QVERIFY2(waitFor("\n"), out.constData());  // the whole line
    QElapsedTimer limit;
    limit.start();
    while (display.showsTheWindow() && limit.elapsed() < 5000) {
    }
    const qint64 gone = monotonicMs();
    const qsizetype at = out.indexOf("pressed ");
    const qint64 pressed = out.mid(at + 8).split('\n').first().toLongLong();
    qInfo("the window left the screen %lld ms after %s", gone - pressed, qPrintable(gesture));
    QVERIFY2(gone - pressed < 500, qPrintable(QString::number(gone - pressed)));

    if (ignoringInterrupts) {
      // The kernel holds the process while its read waits; it ends once answered.
      QVERIFY(!child.waitForFinished(300));
      fs.release();
    }
    QVERIFY(child.waitForFinished(ignoringInterrupts ? 10000 : 5000));
    const qint64 ended = monotonicMs();
    out += child.readAllStandardOutput();
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    qInfo("the program ended %lld ms after %s", ended - pressed, qPrintable(gesture));
    if (!ignoringInterrupts)
      QVERIFY2(ended - pressed < 500, qPrintable(QString::number(ended - pressed)));
    QVERIFY2(!out.contains("Totals:"), out.constData());  // ended inside the search
  }

  // A mount whose statfs never answers neither holds up the start nor can be chosen.
  void startAndChooseWithAStalledMount() {
    StalledMount fs(QStringLiteral("/slow"));
    if (!fs.unavailable().isEmpty()) QSKIP(qPrintable(fs.unavailable()));
    QElapsedTimer clock;
    clock.start();
    TestWindow t = makeTestWindow();  // the machine's own drives
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    qInfo("the window was shown %lld ms after the start", clock.elapsed());
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    const QString drive = fs.root() + '/';
    QVERIFY(w.Drive1->findText(drive) >= 0);

    const QString before = w.Drive1->drive();
    const QString folder = w.Dir1->path();
    clock.restart();
    w.Drive1->setDrive(drive);
    qInfo("the drive was refused after %lld ms", clock.elapsed());
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(t.messages->shown, QStringList{kNotReady});
    QCOMPARE(w.Drive1->drive(), before);
    QCOMPARE(w.Dir1->path(), folder);

    fs.release();  // answering now: the drive can be chosen and searched
    QTRY_VERIFY_WITH_TIMEOUT((w.Drive1->setDrive(drive), w.Drive1->drive() == drive), 5000);
    QCOMPARE(w.Dir1->path(), fs.root());
    w.Text1->setText(kPhotos);
    QTest::mouseClick(w.cmdIniciar, Qt::LeftButton);
    QCOMPARE(w.fileCount, 5);
  }

  // Started in a folder of a drive whose root listing never comes: the window is shown
  // all the same, at that drive with nothing listed, and a refresh lists it once it
  // answers.
  void startOnADriveThatDoesNotList() {
    StalledMount fs(QStringLiteral("/"));
    if (!fs.unavailable().isEmpty()) QSKIP(qPrintable(fs.unavailable()));
    const QString home = QDir::currentPath();
    QVERIFY(QDir::setCurrent(fs.path("a")));
    QElapsedTimer clock;
    clock.start();
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QDir::setCurrent(home);
    qInfo("the window was shown %lld ms after the start", clock.elapsed());
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(w.Drive1->drive(), fs.root() + '/');
    QCOMPARE(w.Dir1->path(), fs.root());
    QCOMPARE(w.Dir1->listCount(), 0);

    fs.release();
    QTest::mouseClick(w.cmdAtualizar, Qt::LeftButton);
    QCOMPARE(w.Dir1->listCount(), 3);
    QCOMPARE(w.Dir1->list(1), fs.path("slow"));
  }

  // A double click on a folder whose listing never comes gives up after a moment and
  // stays where it was; once the folder answers, it opens.
  void openAFolderThatDoesNotList() {
    StalledMount fs(QStringLiteral("/slow"));
    if (!fs.unavailable().isEmpty()) QSKIP(qPrintable(fs.unavailable()));
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(w.Dir1->setPath(fs.root()));
    QElapsedTimer clock;
    clock.start();
    openFolder(w.Dir1, fs.path("slow"));
    qInfo("the folder was given up after %lld ms", clock.elapsed());
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(w.Dir1->path(), fs.root());
    QCOMPARE(w.Dir1->listCount(), 3);

    fs.release();
    openFolder(w.Dir1, fs.path("slow"));
    QCOMPARE(w.Dir1->path(), fs.path("slow"));
  }
};

QTEST_MAIN(StalledDriveTest)
#include "tst_stalleddrive.moc"
