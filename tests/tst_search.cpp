// The media search, driven through the window's own controls over real folder trees.
#include <sys/mount.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "files/folderread.h"
#include "support/child.h"
#include "support/fakes.h"
#include "support/input.h"
#include "support/tree.h"

namespace {

const QString kPhotos = QStringLiteral("*.jpg;*.gif;*.bmp;  *.wmf;*.ico");
const QString kFilms = QStringLiteral("*.avi;*.mpg;*.mov");

QString folderLine(const QString& folder) {
  return QStringLiteral("--> ") + folder;
}

QString fileLine(const QString& name, const QString& kb) {
  return QStringLiteral("       ") + name + QStringLiteral("  ") + kb + QStringLiteral(" KB");
}

QStringList lines(const ListBox* list) {
  QStringList out;
  for (int i = 0; i < list->listCount(); ++i) out.append(list->list(i));
  return out;
}

// The line is drawn whole: the view gives it room for all its text, and the horizontal
// scroll bar, dragged to its end, brings the end of that text into view.
void verifyDrawnWhole(ListBox* list, int row) {
  QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(), list->listCount(), 10000);
  const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
  const int needed = list->fontMetrics().horizontalAdvance(list->list(row)) + 2 * margin;
  list->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
  const QRect rect = list->visualRect(list->model()->index(row, 0));
  QVERIFY2(rect.width() >= needed, qPrintable(QString("%1 < %2").arg(rect.width()).arg(needed)));
  QVERIFY2(rect.left() + needed <= list->viewport()->width(),
           qPrintable(QString("the line ends at %1").arg(rect.left() + needed)));
}

// The options a list view gives each line it draws.
struct ViewOptions : ListBox {
  static void of(ListBox* list, QStyleOptionViewItem* option) {
    (list->*&ViewOptions::initViewItemOption)(option);
  }
};

// Starts a search of `folder` for `patterns` the way a person does.
void search(FileFind& w, const QString& folder, const QString& patterns) {
  QVERIFY(w.Dir1->setPath(folder));
  typeInto(w.Text1, patterns);
  clickButton(w.cmdIniciar);
}

// The controls a search locks, and whether each is enabled.
QList<bool> lockedControls(FileFind& w) {
  QList<bool> on;
  for (QWidget* c : {static_cast<QWidget*>(w.cmdIniciar), static_cast<QWidget*>(w.Drive1),
                     static_cast<QWidget*>(w.Dir1), static_cast<QWidget*>(w.cmdMostraArq),
                     static_cast<QWidget*>(w.cmdBusca), static_cast<QWidget*>(w.List1),
                     static_cast<QWidget*>(w.optFilme), static_cast<QWidget*>(w.optFoto),
                     static_cast<QWidget*>(w.optMusica), static_cast<QWidget*>(w.optSom)}) {
    on.append(c->isEnabled());
  }
  return on;
}

const QList<bool> kAllOn(10, true);
const QList<bool> kAllOff(10, false);

// The window as after a complete search: everything enabled, the focus on the start.
void verifyIdle(FileFind& w) {
  QCOMPARE(lockedControls(w), kAllOn);
  QVERIFY(w.cmdParar->isEnabled());
  QCOMPARE(w.focusWidget(), static_cast<QWidget*>(w.cmdIniciar));
}

}  // namespace

class SearchTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QStringLiteral("pt_BR"))); }

  void init() {
    t_ = makeTestWindow();
    t_.window->showCentred();
  }
  void cleanup() { t_ = {}; }

  // ---- media kinds, drives, refresh ----

  void optionButtonsWriteTheirPatterns_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("patterns");
    QTest::newRow("photo") << "optFoto" << kPhotos;
    QTest::newRow("music") << "optMusica"
                           << "*.mid";
    QTest::newRow("sound") << "optSom"
                           << "*.wav";
    QTest::newRow("film") << "optFilme" << kFilms;
  }

  void optionButtonsWriteTheirPatterns() {
    QFETCH(QString, button);
    QFETCH(QString, patterns);
    FileFind& w = *t_.window;
    typeInto(w.Text1, QStringLiteral("*.txt"));
    QCOMPARE(w.Text1->text(), QStringLiteral("*.txt"));
    clickButton(w.findChild<QAbstractButton*>(button));
    QCOMPARE(w.Text1->text(), patterns);
    clickButton(w.optFoto);
    QCOMPARE(w.Text1->text().size(), 31);  // two blanks before "*.wmf"
  }

  void refreshChangesNothingElse() {
    TestTree tree;
    tree.file("a/x.jpg", 2048);
    FileFind& w = *t_.window;
    QVERIFY(w.Dir1->setPath(tree.root()));
    clickButton(w.optFoto);
    clickButton(w.cmdIniciar);
    QCOMPARE(w.List2->listCount(), 1);
    const QString drive = w.Drive1->drive(), statistics = w.lblConta->text();
    tree.file("b/y.jpg", 2048);
    QCOMPARE(w.Dir1->listCount(), 1);
    clickButton(w.cmdAtualizar);
    QCOMPARE(w.Dir1->listCount(), 2);  // the new folder is seen
    QCOMPARE(w.Dir1->path(), tree.root());
    QCOMPARE(w.Drive1->drive(), drive);
    QCOMPARE(w.Text1->text(), kPhotos);
    QVERIFY(w.optFoto->isChecked());
    QCOMPARE(lines(w.List2), QStringList{tree.path("a/x.jpg")});  // no new search
    QCOMPARE(w.lblConta->text(), statistics);
  }

  // A double click on a folder opens it; the next search starts there.
  void aDoubleClickOpensAFolder() {
    TestTree tree;
    tree.file("a/in.avi", 1024);
    tree.file("b/out.avi", 1024);
    FileFind& w = *t_.window;
    QVERIFY(w.Dir1->setPath(tree.root()));
    openFolder(w.Dir1, tree.path("a"));
    QCOMPARE(w.Dir1->path(), tree.path("a"));
    QCOMPARE(w.Dir1->listCount(), 0);
    clickButton(w.cmdIniciar);
    QCOMPARE(lines(w.List2), QStringList{tree.path("a/in.avi")});
  }

  void driveChange_data() {
    QTest::addColumn<QStringList>("unready");  // "A", "B": drives that do not answer
    QTest::addColumn<bool>("bMissing");        // B's mount point cannot be listed
    QTest::addColumn<int>("messages");
    QTest::addColumn<QString>("endsOn");
    QTest::newRow("ready") << QStringList() << false << 0 << "B";
    QTest::newRow("not ready") << QStringList{"B"} << false << 1 << "A";
    QTest::newRow("cannot be listed") << QStringList() << true << 1 << "A";
    QTest::newRow("previous unready too") << QStringList{"A", "B"} << false << 2 << "A";
  }

  void driveChange() {
    QFETCH(QStringList, unready);
    QFETCH(bool, bMissing);
    QFETCH(int, messages);
    QFETCH(QString, endsOn);
    TestTree tree;
    const QString a = tree.folder("A") + '/';
    const QString b = tree.path("B") + '/';
    if (!bMissing) tree.folder("B");
    tree.file("A/x.avi");
    TestWindow t = makeTestWindow({a, b});
    FileFind& w = *t.window;
    w.showCentred();
    chooseDrive(w.Drive1, a);
    QCOMPARE(w.Dir1->path(), tree.path("A"));
    for (const QString& d : unready) t.volumes->unready.insert(d == "A" ? a : b);

    chooseDrive(w.Drive1, b);
    QCOMPARE(t.messages->shown.size(), messages);
    for (const QString& m : t.messages->shown) QCOMPARE(m, "Dispositivo não está preparado...");
    QCOMPARE(w.Drive1->drive(), endsOn == "A" ? a : b);
    QCOMPARE(w.Dir1->path(), tree.path(endsOn));
    QCOMPARE(w.focusWidget(), static_cast<QWidget*>(w.cmdIniciar));

    t.volumes->unready.clear();
    QTest::keyClick(w.focusWidget(), Qt::Key_Return);  // a search runs on the drive shown
    QCOMPARE(w.fileCount, endsOn == "A" ? 1 : 0);
  }

  // A drive mounted after start-up shows when the list opens; scrolling the wheel over
  // the list without giving it the focus leaves the drive alone.
  void drivesComeAndGoAndTheWheelNeedsTheFocus() {
    TestTree tree;
    const QString a = tree.folder("A") + '/';
    const QString b = tree.folder("B") + '/';
    TestWindow t = makeTestWindow({a});
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.Drive1->setDrive(a);
    t.volumes->list.append(Volume{b, QString()});
    w.Drive1->showPopup();
    QCOMPARE(w.Drive1->count(), 2);
    QCOMPARE(w.Drive1->currentIndex(), 0);
    w.Drive1->hidePopup();
    QCOMPARE(w.Drive1->drive(), a);

    w.cmdIniciar->setFocus();
    const QPointF at(w.Drive1->rect().center());
    QWheelEvent wheel(at, w.Drive1->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.Drive1, &wheel);
    QCOMPARE(w.Drive1->drive(), a);
    QCOMPARE(w.Dir1->path(), tree.path("A"));
  }

  // ---- result lines and statistics ----

  void threeFilesOfOneFolder() {
    TestTree tree;
    for (const char* name : {"c.jpg", "a.jpg", "b.gif"}) tree.file(QString("fotos/") + name, 2048);
    tree.file("fotos/notes.txt", 10);
    FileFind& w = *t_.window;
    search(w, tree.root(), kPhotos);
    const QString dir = tree.path("fotos");
    QCOMPARE(lines(w.List1),
             (QStringList{folderLine(dir), fileLine("a.jpg", "2"), folderLine(dir),
                          fileLine("b.gif", "2"), folderLine(dir), fileLine("c.jpg", "2")}));
    QCOMPARE(lines(w.List2), (QStringList{dir + "/a.jpg", dir + "/b.gif", dir + "/c.jpg"}));
    QCOMPARE(w.fileCount, 3);
    QCOMPARE(w.totalBytes, qint64(6144));
    QCOMPARE(w.lblConta->text(), QStringLiteral("0,01 MB em  3 Arquivos"));
    QCOMPARE(w.List1->listIndex(), 5);  // the newest line stays selected
    verifyIdle(w);
  }

  void sizesAndStatistics_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("kb");
    QTest::addColumn<QString>("statistics");
    QTest::newRow("empty") << qint64(0) << ""
                           << "0, MB em  1 Arquivos";
    QTest::newRow("under 512 bytes") << qint64(511) << ""
                                     << "0, MB em  1 Arquivos";
    QTest::newRow("512 bytes") << qint64(512) << "1"
                               << "0, MB em  1 Arquivos";
    QTest::newRow("1,024,000 bytes") << qint64(1024000) << "1.000"
                                     << "1, MB em  1 Arquivos";
    QTest::newRow("2,560,000 bytes") << qint64(2560000) << "2.500"
                                     << "2,5 MB em  1 Arquivos";
    QTest::newRow("3 GB, sparse") << qint64(3) * 1024 * 1024 * 1024 << "3.145.728"
                                  << "3145,73 MB em  1 Arquivos";
  }

  void sizesAndStatistics() {
    QFETCH(qint64, size);
    QFETCH(QString, kb);
    QFETCH(QString, statistics);
    TestTree tree;
    QVERIFY(!tree.file("mar.jpg", size).isEmpty());
    FileFind& w = *t_.window;
    search(w, tree.root(), kPhotos);
    QCOMPARE(w.List1->list(1), fileLine("mar.jpg", kb));
    QCOMPARE(w.totalBytes, size);
    QCOMPARE(w.lblConta->text(), statistics);
    // What the screen shows catches up shortly after.
    QTRY_COMPARE(static_cast<QLabel*>(w.lblConta)->text(), statistics);
  }

  // Depth first, pre-order: a folder's files, then each subfolder's whole subtree, both
  // in name order without regard to case; hidden entries and other kinds left out.
  void walkOrder() {
    TestTree tree;
    for (const char* f :
         {"z.jpg",        "B.JPG",       "a.Jpg",           "b/c.gif",        "b/a/x.bmp",
          "b/a/y.txt",    "A/1.ico",     "A/deep/er/2.wmf", "c/none.txt",     ".hidden/h.jpg",
          "b/.h.jpg",     "near.jpeg",   "near.jpg.txt",    "x/IMG_0001.JPG", "x/IMG_00010.JPG",
          "x/Férias.JPG", "x/Fériasjpg", "x/éjpg",          "x/ß.Bmp",        "x/é.bmpé",
          "x/写真.jpg",   "x/🌄.gif"}) {
      tree.file(f, 100);
    }
    FileFind& w = *t_.window;
    search(w, tree.root(), kPhotos);
    const QString r = tree.root();
    QCOMPARE(lines(w.List2),
             (QStringList{r + "/a.Jpg", r + "/B.JPG", r + "/z.jpg", r + "/A/1.ico",
                          r + "/A/deep/er/2.wmf", r + "/b/c.gif", r + "/b/a/x.bmp", r + "/x/🌄.gif",
                          r + "/x/Férias.JPG", r + "/x/IMG_0001.JPG", r + "/x/IMG_00010.JPG",
                          r + "/x/ß.Bmp", r + "/x/写真.jpg"}));
    QCOMPARE(w.List1->list(8), folderLine(r + "/A/deep/er"));
    QCOMPARE(w.List1->list(9), fileLine("2.wmf", ""));
    const QStringList found = lines(w.List2);
    const QString base = QFileInfo(r).fileName();
    for (const QString& roundabout :
         {QStringLiteral("/./x/..//"), QStringLiteral("/x/.."), QStringLiteral("/."),
          QStringLiteral("//"), QStringLiteral("/x/../"), "/../" + base, "/./../" + base}) {
      search(w, r + roundabout, kPhotos);  // a folder given roundabout is the folder itself
      QCOMPARE(w.Dir1->path(), r);
      QCOMPARE(lines(w.List2), found);
    }
  }

  // Patterns typed while the search runs hold for the folders it enters after: their names
  // are matched and sorted anew, not taken from what was read ahead for the old ones.
  void patternsTypedDuringTheSearch() {
    TestTree tree;
    for (const char* f : {"r.jpg", "a/x.jpg", "b/b.AVI", "b/a.avi", "b/C.avi", "b/z.jpg"}) {
      tree.file(f, 100);
    }
    FileFind& w = *t_.window;
    QTimer::singleShot(0, &w, [&] { typeInto(w.Text1, kFilms); });
    search(w, tree.root(), kPhotos);
    const QString r = tree.root();
    QCOMPARE(lines(w.List2),
             (QStringList{r + "/r.jpg", r + "/b/a.avi", r + "/b/b.AVI", r + "/b/C.avi"}));
  }

  void startingFolderIsDir2sPath() {
    TestTree tree;
    tree.file("leaf/a.avi", 4096);
    FileFind& w = *t_.window;
    search(w, tree.path("leaf"), kFilms);
    QCOMPARE(w.Dir2->path(), tree.path("leaf"));
    tree.file("leaf/new/b.avi", 4096);  // appears between the two searches
    search(w, tree.path("leaf"), kFilms);
    QCOMPARE(lines(w.List2), (QStringList{tree.path("leaf/a.avi"), tree.path("leaf/new/b.avi")}));
    QCOMPARE(w.fileCount, 2);
  }

  // A search that finds nothing shows zero files; until it ends, the figures of the
  // search before stay.
  void searchFindingNothingShowsZeroFiles() {
    TestTree tree;
    tree.file("full/a.avi", 2560000);
    tree.folder("empty/sub");
    tree.file("empty/sub/a.txt");
    FileFind& w = *t_.window;
    search(w, tree.path("full"), kFilms);
    QCOMPARE(w.lblConta->text(), QStringLiteral("2,5 MB em  1 Arquivos"));
    QString during;
    QTimer::singleShot(0, &w, [&] { during = w.lblConta->text(); });  // in the event run
    search(w, tree.path("empty"), kFilms);
    QCOMPARE(during, QStringLiteral("2,5 MB em  1 Arquivos"));
    QCOMPARE(w.List1->listCount(), 0);
    QCOMPARE(w.List2->listCount(), 0);
    QCOMPARE(w.fileCount, 0);
    QCOMPARE(w.totalBytes, qint64(0));
    QCOMPARE(w.lblConta->text(), QStringLiteral("0, MB em  0 Arquivos"));
    QTRY_COMPARE(static_cast<QLabel*>(w.lblConta)->text(), QStringLiteral("0, MB em  0 Arquivos"));
    verifyIdle(w);
  }

  // A line longer than the others is drawn whole, wherever it stands in the list: longer
  // by its name, or by its size between lines with names as long.
  void longLinesAreDrawnWhole_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<qint64>>("sizes");
    QTest::addColumn<int>("longest");
    QTest::addColumn<QString>("kilobytes");
    const QString w100 = QString(100, QChar('w'));
    QTest::newRow("name") << QStringList{QString(120, QChar('w')) + ".jpg", "z.jpg"}
                          << QList<qint64>{5 * 1024 * 1024, 10} << 0 << "5.120";
    QTest::newRow("name after a long one")
        << QStringList{QString(60, QChar('w')) + ".jpg", w100 + ".jpg", "x.jpg"}
        << QList<qint64>{5 * 1024 * 1024, 5 * 1024 * 1024, 10} << 1 << "5.120";
    QTest::newRow("size") << QStringList{w100 + "1.jpg", w100 + "2.jpg", w100 + "3.jpg"}
                          << QList<qint64>{10, qint64(1) << 40, 10} << 1 << "1.073.741.824";
  }
  void longLinesAreDrawnWhole() {
    QFETCH(QStringList, names);
    QFETCH(QList<qint64>, sizes);
    QFETCH(int, longest);
    QFETCH(QString, kilobytes);
    TestTree tree;
    for (int i = 0; i < names.size(); ++i) tree.file("a/" + names[i], sizes[i]);
    FileFind& w = *t_.window;
    search(w, tree.root(), kPhotos);
    QCOMPARE(w.List1->list(2 * longest + 1), fileLine(names[longest], kilobytes));
    verifyDrawnWhole(w.List1, 2 * longest + 1);
  }

  // Each line looks as the style draws it, whatever its characters: a name in another
  // script (a fallback face, a taller line), a surrogate pair, right-to-left text, a tab.
  void linesAreDrawnAsTheStyleDrawsThem() {
    TestTree tree;
    for (const QString& name :
         {QStringLiteral("plain.jpg"), QStringLiteral("写真.jpg"), QStringLiteral("🌄.gif"),
          QStringLiteral("صورة.jpg"), QStringLiteral("a\tb.bmp"), QStringLiteral("Ωmega.ico")}) {
      tree.file("a/" + name);
    }
    FileFind& w = *t_.window;
    search(w, tree.root(), kPhotos);
    ListBox* list = w.List1;
    QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(), list->listCount(), 10000);
    const QStyledItemDelegate styleAlone;  // knows nothing of the list's selected line
    for (int row = 0; row < list->listCount(); ++row) {
      if (row == list->listIndex()) continue;
      QStyleOptionViewItem option;
      ViewOptions::of(list, &option);
      const QModelIndex index = list->model()->index(row, 0);
      option.rect = QRect(QPoint(0, 0), list->visualRect(index).size());
      const auto drawn = [&](const QAbstractItemDelegate& by) {
        QImage image(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        by.paint(&painter, option, index);
        return image;
      };
      for (const bool enabled : {true, false}) {  // the list is disabled while a search runs
        option.state.setFlag(QStyle::State_Enabled, enabled);
        QVERIFY2(drawn(*list->itemDelegate()) == drawn(styleAlone), qPrintable(list->list(row)));
      }
    }
  }

  void pathLineRule_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("root") << "/"
                          << "/a.jpg";
#ifdef Q_OS_WIN
    QTest::newRow("drive root") << "C:\\"
                                << "C:\\a.jpg";
#else
    QTest::newRow("backslash is part of a name") << "/C:\\"
                                                 << "/C:\\/a.jpg";
#endif
    QTest::newRow("three letters") << "/abc"
                                   << "/abc/a.jpg";
    QTest::newRow("deeper") << "/abc/de"
                            << "/abc/de/a.jpg";
  }

  void pathLineRule() {
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QCOMPARE(joinPath(folder, QStringLiteral("a.jpg")), path);
  }

  void threeLetterFolderKeepsItsSeparator() {
    TestTree tree;
    tree.file("abc/a.jpg");
    FileFind& w = *t_.window;
    search(w, tree.path("abc"), kPhotos);
    QCOMPARE(lines(w.List2), QStringList{tree.path("abc/a.jpg")});
    QCOMPARE(w.List1->list(0), folderLine(tree.path("abc")));
  }

  // A backslash is an ordinary character of a name here, not a separator.
  void folderNamedWithABackslash() {
    TestTree tree;
    tree.file("back\\/a.jpg", 2048);
    FileFind& w = *t_.window;
    search(w, tree.path("back\\"), kPhotos);
    QCOMPARE(lines(w.List2), QStringList{tree.path("back\\/a.jpg")});
    QCOMPARE(fileLength(w.List2->list(0)), qint64(2048));
  }

  // ---- locking and stopping ----

  void controlsAreLockedDuringTheSearch() {
    TestTree tree;
    tree.file("a.jpg");
    FileFind& w = *t_.window;
    QList<bool> during;
    bool stopEnabled = false;
    connect(w.List1, &ListBox::click, &w, [&] {
      during = lockedControls(w);
      stopEnabled = w.cmdParar->isEnabled();
    });
    w.cmdParar->setEnabled(false);
    search(w, tree.root(), kPhotos);
    QCOMPARE(during, kAllOff);
    QVERIFY(stopEnabled);
    verifyIdle(w);
  }

  // Stop pressed while the files of a deep folder are listed: all its files are still
  // listed, then no folder is entered any more.
  void stopDuringTheEventRun() {
    TestTree tree;
    for (const char* f : {"a.avi", "m/b.avi", "m/deep/c1.avi", "m/deep/c2.avi", "m/deep/c3.avi",
                          "m/deep/under/d.avi", "m/n/e.avi", "z/f.avi"}) {
      tree.file(f, 1024);
    }
    FileFind& w = *t_.window;
    bool scheduled = false;
    connect(w.List1, &ListBox::click, &w, [&] {
      if (!scheduled && w.List2->list(w.List2->listCount() - 1).endsWith("c1.avi")) {
        scheduled = true;  // runs in the next event run, before the next descent
        QTimer::singleShot(0, &w, [&w] { clickButton(w.cmdParar); });
      }
    });
    search(w, tree.root(), kFilms);
    QCOMPARE(lines(w.List2),
             (QStringList{tree.path("a.avi"), tree.path("m/b.avi"), tree.path("m/deep/c1.avi"),
                          tree.path("m/deep/c2.avi"), tree.path("m/deep/c3.avi")}));
    QCOMPARE(w.fileCount, 3 + 2);
    QCOMPARE(w.lblConta->text(), QStringLiteral("0,01 MB em  5 Arquivos"));  // 0.005: half up
    verifyIdle(w);

    search(w, tree.root(), kFilms);  // the next search clears the request
    QCOMPARE(w.fileCount, 8);
  }

  void stopWithoutASearch() {
    TestTree tree;
    tree.file("s/a.avi");
    FileFind& w = *t_.window;
    const QString label = w.lblConta->text();
    clickButton(w.cmdParar);
    QCOMPARE(w.lblConta->text(), label);
    QCOMPARE(lockedControls(w), kAllOn);
    search(w, tree.root(), kFilms);
    QCOMPARE(w.fileCount, 1);
  }

  // ---- bad input and faults ----

  void linksAreNotFollowedIntoFolders() {
    TestTree tree;
    tree.file("a/x.jpg");
    tree.file("b/y.jpg");
    QVERIFY(tree.symlink("a/loop", "."));
    QVERIFY(tree.symlink("a/up", ".."));
    QVERIFY(tree.symlink("a/other", tree.path("b")));
    QVERIFY(tree.symlink("a/z.jpg", tree.path("b/y.jpg")));  // a link to a file is a file
    QVERIFY(tree.symlink("a/broken.jpg", tree.path("nowhere.jpg")));
    FileFind& w = *t_.window;
    search(w, tree.root(), kPhotos);
    QCOMPARE(lines(w.List2),
             (QStringList{tree.path("a/x.jpg"), tree.path("a/z.jpg"), tree.path("b/y.jpg")}));
  }

  void folderDeletedDuringTheSearch() {
    TestTree tree;
    for (const char* f : {"a/1.avi", "b/2.avi", "b/sub/3.avi", "c/4.avi"}) tree.file(f);
    FileFind& w = *t_.window;
    QTimer::singleShot(0, &w, [&] { tree.remove("b"); });  // in the first event run
    search(w, tree.root(), kFilms);
    QCOMPARE(lines(w.List2), (QStringList{tree.path("a/1.avi"), tree.path("c/4.avi")}));
    verifyIdle(w);
  }

  void startingFolderDeleted_data() {
    QTest::addColumn<bool>("beforeTheClick");
    QTest::newRow("before the search starts") << true;
    QTest::newRow("in the first event run") << false;
  }
  void startingFolderDeleted() {
    QFETCH(bool, beforeTheClick);
    TestTree tree;
    for (const char* f : {"start/a/1.avi", "start/b/2.avi"}) tree.file(f);
    FileFind& w = *t_.window;
    QVERIFY(w.Dir1->setPath(tree.path("start")));
    typeInto(w.Text1, kFilms);
    if (beforeTheClick) {
      QVERIFY(tree.remove("start"));
    } else {
      QTimer::singleShot(0, &w, [&] { tree.remove("start"); });
    }
    clickButton(w.cmdIniciar);
    QCOMPARE(w.fileCount, 0);
    QCOMPARE(w.List2->listCount(), 0);
    QCOMPARE(w.lblConta->text(), QStringLiteral("0, MB em  0 Arquivos"));
    QVERIFY(t_.messages->shown.isEmpty());
    verifyIdle(w);
  }

  void subfolderReplacedByAFile() {
    TestTree tree;
    for (const char* f : {"a/1.avi", "b/2.avi", "c/3.avi"}) tree.file(f);
    FileFind& w = *t_.window;
    QTimer::singleShot(0, &w, [&] {
      tree.remove("b");
      tree.file("b", 4096);  // listed as a folder, now a file of the same name
    });
    search(w, tree.root(), kFilms);
    QCOMPARE(lines(w.List2), (QStringList{tree.path("a/1.avi"), tree.path("c/3.avi")}));
    verifyIdle(w);
  }

  // A folder changed after the search first looked at the tree, before the walk reaches
  // it: the walk sees it as it is when it gets there.
  void folderChangedBeforeTheWalkReachesIt_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("file added") << "add b/new.avi"
                                << QStringList{"a/1.avi", "b/2.avi", "b/new.avi", "c/4.avi"};
    QTest::newRow("file removed") << "remove b/2.avi" << QStringList{"a/1.avi", "c/4.avi"};
    QTest::newRow("subfolder added")
        << "add b/sub/5.avi" << QStringList{"a/1.avi", "b/2.avi", "b/sub/5.avi", "c/4.avi"};
    QTest::newRow("folder renamed") << "rename b" << QStringList{"a/1.avi", "c/4.avi"};
  }
  void folderChangedBeforeTheWalkReachesIt() {
    QFETCH(QString, change);
    QFETCH(QStringList, found);
    TestTree tree;
    for (const char* f : {"a/1.avi", "b/2.avi", "c/4.avi"}) tree.file(f, 100);
    FileFind& w = *t_.window;
    bool changed = false;
    connect(w.List1, &ListBox::click, &w, [&] {
      if (changed) return;
      changed = true;  // while the first file is listed, before the walk enters b
      const QString what = change.section(' ', 1);
      if (change.startsWith("add")) tree.file(what, 100);
      if (change.startsWith("remove")) tree.remove(what);
      if (change.startsWith("rename")) QFile::rename(tree.path(what), tree.path("zz"));
    });
    search(w, tree.root(), kFilms);
    QStringList expected;
    for (const QString& f : found) expected.append(tree.path(f));
    QCOMPARE(lines(w.List2), expected);  // a renamed folder's new name was never listed
    QCOMPARE(w.fileCount, found.size());
  }

  // The exit button pressed while the search lets events run, after a resize: the
  // process ends there at once and reports success. Checked in a child process.
  void exitDuringTheEventRun() {
    const QString childTree = qEnvironmentVariable("VISTARA_EXIT_CHILD");
    if (!childTree.isEmpty()) {
      FileFind& w = *t_.window;
      w.show();
      QTimer::singleShot(0, &w, [&w] {
        w.resize(900, 700);
        clickButton(w.cmdSaida);
      });
      search(w, childTree, kFilms);
      QFAIL("the search went on after the exit button");
    }
    TestTree tree;  // made here: the child ends without tidying up
    for (int i = 0; i < 50; ++i) tree.file(QString("d%1/f.avi").arg(i));
    const ChildRun child =
        runSelf({"exitDuringTheEventRun"}, 30000, {{"VISTARA_EXIT_CHILD", tree.root()}});
    QVERIFY(child.finished);
    const QByteArray out = child.out + child.err;
    QVERIFY(!child.crashed);
    QCOMPARE(child.exitCode, 0);
    QVERIFY2(!out.contains("Totals:"), out.constData());  // ended inside the search
  }

  void fileDeletedBeforeItsLengthIsRead() {
    TestTree tree;
    for (const char* f : {"1.avi", "2.avi", "3.avi"}) tree.file(f, 2048);
    FileFind& w = *t_.window;
    connect(w.List1, &ListBox::click, &w, [&] {
      if (w.fileCount == 1) tree.remove("2.avi");  // already listed by the file list
    });
    search(w, tree.root(), kFilms);
    QCOMPARE(lines(w.List2), (QStringList{tree.path("1.avi"), tree.path("3.avi")}));
    QCOMPARE(w.List1->listCount(), 4);
    QCOMPARE(w.fileCount, 2);
    QCOMPARE(w.totalBytes, qint64(4096));
  }

  // Far beyond the path length limit, and as deep as the walk nests.
  void deepTree() {
    TestTree tree;
    QVERIFY(tree.deepChain("top", 2000, "dd", "f.jpg", {1, 1000, 2000}));
    FileFind& w = *t_.window;
    QElapsedTimer clock;
    clock.start();
    search(w, tree.root(), kPhotos);
    QCOMPARE(w.fileCount, 3);
    QString deepest = tree.path("top");
    for (int i = 0; i < 2000; ++i) deepest += "/dd";
    QVERIFY(deepest.size() > 4096);
    QCOMPARE(w.List2->list(2), deepest + "/f.jpg");
    QCOMPARE(w.List1->list(4), folderLine(deepest));
    QCOMPARE(w.totalBytes, qint64(1 + 1000 + 2000));  // each file as long as its level
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
  }

  void manyFilesInOneFolder() {
    TestTree tree;
    QVector<int> order(100000);
    for (int i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());
    QVERIFY(!tree.folder("big").isEmpty());
    for (int i : order) {  // 200,000 entries, half of them near misses
      QVERIFY(tree.rawFile("big", QString::asprintf("f%06d.jpg", i).toLatin1(), i % 3));
      QVERIFY(tree.rawFile("big", QString::asprintf("f%06d.jpgx", i).toLatin1()));
    }
    const QByteArray longName = "f080000" + QByteArray(100, 'm') + ".jpg";  // far down the list
    QVERIFY(tree.rawFile("big", longName));
    FileFind& w = *t_.window;
    search(w, tree.root(), kPhotos);
    QCOMPARE(w.fileCount, 100001);
    QCOMPARE(w.List1->listCount(), 200002);
    QCOMPARE(w.List2->list(0), tree.path("big/f000000.jpg"));
    QCOMPARE(w.List2->list(100000), tree.path("big/f099999.jpg"));
    QCOMPARE(w.List1->list(200000), folderLine(tree.path("big")));
    QCOMPARE(w.List1->listIndex(), 200001);
    const int k = w.List2->list(80000).endsWith(QString::fromLatin1(longName)) ? 80000 : 80001;
    QCOMPARE(w.List2->list(k), tree.path("big/" + QString::fromLatin1(longName)));
    verifyDrawnWhole(w.List1, 2 * k + 1);
  }

  void nameThatIsNotUtf8() {
    TestTree tree;
    const QByteArray raw("caf\xe9\xff.jpg", 9);
    QVERIFY(tree.rawFile("odd", raw, 3000));
    tree.file("odd/ok.jpg", 1000);
    tree.file("Férias/ok.jpg", 500);  // a folder whose path is not ASCII is walked too
    FileFind& w = *t_.window;
    search(w, tree.root(), kPhotos);
    QCOMPARE(w.fileCount, 3);
    QCOMPARE(w.totalBytes, qint64(4500));
    const QString odd = lines(w.List2).filter("/odd/caf").value(0);
    QCOMPARE(encodeFileName(odd), QFile::encodeName(tree.path("odd/")) + raw);  // opens again
    QCOMPARE(fileLength(odd), qint64(3000));
  }

  void pipeNamedLikeAFilm() {
    TestTree tree;
    QVERIFY(tree.fifo("x.avi"));
    tree.file("y.avi", 10);
    FileFind& w = *t_.window;
    search(w, tree.root(), kFilms);
    QCOMPARE(lines(w.List2), QStringList{tree.path("y.avi")});
  }

  void mountPointIsNotEntered() {
    TestTree tree;
    const QString mnt = tree.folder("mnt");
    tree.file("b.jpg");
    if (::geteuid() != 0 ||
        ::mount("vistara-test", QFile::encodeName(mnt).constData(), "tmpfs", 0, "size=1m") != 0) {
      QSKIP("cannot mount a file system here");
    }
    tree.file("mnt/a.jpg");
    FileFind& w = *t_.window;
    search(w, tree.root(), kPhotos);
    const QStringList found = lines(w.List2);
    ::umount2(QFile::encodeName(mnt).constData(), MNT_DETACH);
    QCOMPARE(found, QStringList{tree.path("b.jpg")});
  }

 private:
  TestWindow t_;
};

QTEST_MAIN(SearchTest)
#include "tst_search.moc"
