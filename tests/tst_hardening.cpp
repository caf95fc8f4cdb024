// Faults while viewing, a whole road that must leave the disk untouched, and memory that
// does not grow with use.
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QTest>

#include "support/fakes.h"
#include "support/input.h"
#include "support/pictures.h"
#include "support/tree.h"

namespace {

const QString kMedia = QStringLiteral(VISTARA_TEST_DATA "/media/");

// Every entry of a tree: content hash, size and modification time of files, the entry
// list of folders.
QStringList snapshot(const QString& root) {
  QStringList lines;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    struct stat st;
    lstat(QFile::encodeName(path).constData(), &st);
    QString line =
        path + QString(" %1 %2.%3").arg(st.st_size).arg(st.st_mtim.tv_sec).arg(st.st_mtim.tv_nsec);
    if (S_ISREG(st.st_mode)) {
      QFile f(path);
      f.open(QIODevice::ReadOnly);
      line += ' ' + QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
    } else if (S_ISDIR(st.st_mode)) {
      line += " [" +
              QDir(path)
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                  .join('|') +
              ']';
    }
    lines << line;
  }
  lines.sort();
  return lines;
}

qint64 residentKb() {
  QFile f("/proc/self/status");
  f.open(QIODevice::ReadOnly);
  for (const QByteArray& line : f.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
  }
  return 0;
}

void playToNextFile(FileFind& w) {
  QTRY_VERIFY_WITH_TIMEOUT(w.AMovie1->state() != MediaPlayer::State::Running || w.Timer1->enabled(), 10000);
  QVERIFY(tick(w.Timer1));
}

}  // namespace

class HardeningTest : public QObject {
  Q_OBJECT

 private slots:
  void aWholeRoadWritesNothing() {
    TestTree tree;
    makeRasterPhoto(tree.folder("fotos"), "a.jpg", 300, 200);
    makeRasterPhoto(tree.folder("fotos/praia"), "b.BMP", 20, 10);
    makeMetafilePhoto(tree.folder("fotos/praia"), "c.wmf", 3000, 2000);
    for (const char* f : {"film-mjpeg-pcm.avi", "sound-pcm16.wav", "music-tempo.mid"})
      QVERIFY(QFile::copy(kMedia + f, tree.folder("media") + '/' + f));
    const QStringList before = snapshot(tree.root());

    TestWindow t = makeRealPlayerWindow();
    FileFind& w = *t.window;
    RecordingSink* messages = t.messages;
    w.showCentred();
    clickButton(w.optFoto);
    searchFrom(w, tree.root());
    QCOMPARE(w.List2->listCount(), 3);
    clickButton(w.cmdMostraArq);
    QVERIFY(tick(w.Timer2));
    clickButton(w.cmdTelaGrande);
    clickButton(w.cmdProFoto2);
    clickButton(w.cmdImage2Tela);
    clickButton(w.cmdBusca);
    for (QRadioButton* kind : {w.optFilme, w.optSom, w.optMusica}) {
      clickButton(kind);
      searchFrom(w, tree.root());
      QCOMPARE(w.List2->listCount(), 1);
      clickButton(w.cmdMostraArq);
      QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
      clickButton(w.cmdMenorFilme);
      clickButton(w.cmdPararFilme);
      clickButton(w.cmdPararFilme);
      clickButton(w.cmdBusca);
    }
    QVERIFY(messages->shown.isEmpty());
    QCOMPARE(snapshot(tree.root()), before);
  }

  void fastSlideshowOverGoodBrokenAndHugePhotos() {
    TestTree tree;
    const QString folder = tree.folder("show");
    QImage huge(6000, 4000, QImage::Format_RGB32);
    huge.fill(Qt::darkGreen);
    for (int i = 0; i < 1000; ++i) {
      const QString name = QString("%1").arg(i, 4, 10, QChar('0'));
      if (i % 10 == 3) {
        QFile broken(folder + '/' + name + ".jpg");
        broken.open(QIODevice::WriteOnly);
        broken.write(QByteArray("\xFF\xD8\xFF\xE0 broken", 10) + QByteArray(i, 'x'));
      } else if (i % 250 == 7) {
        huge.save(folder + '/' + name + ".jpg", "JPEG", 80);
      } else {
        makeRasterPhoto(folder, name + ".bmp", 10 + i % 50, 10 + i % 30);
      }
    }
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    clickButton(w.optFoto);
    searchFrom(w, tree.root());
    QCOMPARE(w.List2->listCount(), 1000);
    int shown = 0;
    QString previous;
    connect(w.Timer2, &Timer::timer, this, [&] {
      if (w.Label3->text() != previous) ++shown;
      previous = w.Label3->text();
    });
    clickButton(w.cmdMostraArq);
    w.SlFoto->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.SlFoto, Qt::Key_Home);  // 10 ms a photo
    QCOMPARE(w.Timer2->interval(), 10);
    QTRY_VERIFY_WITH_TIMEOUT(w.viewStopped, 120000);  // the real timer, to the last photo
    QCOMPARE(w.List2->listIndex(), 999);
    QVERIFY2(shown >= 999, qPrintable(QString::number(shown)));
    QCOMPARE(w.Image1->naturalSize(), QSizeF((10 + 999 % 50) * 15, (10 + 999 % 30) * 15));
    QVERIFY(t.messages->shown.isEmpty());
  }

  void mediaChangedWhileOnScreen() {
    TestTree tree;
    const QString folder = tree.folder("m");
    for (const char* f : {"film-mjpeg-pcm.avi", "film-mpeg1.mpg", "sound-pcm16.wav"})
      QVERIFY(QFile::copy(kMedia + f, folder + '/' + f));
    TestWindow t = makeRealPlayerWindow();
    FileFind& w = *t.window;
    RecordingSink* messages = t.messages;
    clickButton(w.optFilme);
    typeInto(w.Text1, "*.avi;*.mpg;*.wav");
    searchFrom(w, tree.root());
    QCOMPARE(w.List2->listCount(), 3);
    clickButton(w.cmdMostraArq);
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    QFile::resize(folder + "/film-mjpeg-pcm.avi", 5000);  // truncated while it plays
    QVERIFY(QFile::remove(folder + "/film-mpeg1.mpg"));   // the next one is gone
    for (int i = 0; i < 3 && w.List1->listIndex() < 5; ++i) playToNextFile(w);
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->fileName(), folder + "/sound-pcm16.wav", 20000);
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    QVERIFY(messages->shown.isEmpty());

    // A photo deleted and another truncated while on view.
    const QString a = makeRasterPhoto(folder, "a.png", 120, 80);
    const QString b = makeRasterPhoto(folder, "b.png", 60, 40);
    clickButton(w.cmdBusca);
    clickButton(w.optFoto);
    typeInto(w.Text1, "*.png");
    searchFrom(w, tree.root());
    clickButton(w.cmdMostraArq);
    QFile::remove(a);
    QFile::resize(b, 30);
    QVERIFY(tick(w.Timer2));
    QVERIFY(tick(w.Timer2));  // the last photo: the end
    QVERIFY(w.viewStopped);
    QCOMPARE(w.Label3->text(), b);
    QVERIFY(w.Image1->picture().isNull());  // neither photo can be shown any more
    QVERIFY(messages->shown.isEmpty());
  }

  // The real tracking timer over good files and broken ones: each good one plays, each
  // broken one is passed over, to the end of the list.
  void trackingOverGoodAndBrokenMedia() {
    TestTree tree;
    const QString folder = tree.folder("mixed");
    const QList<QPair<QString, QString>> files = {
        {"a.avi", "film-mjpeg-pcm.avi"}, {"b.avi", "broken-truncated.avi"},
        {"c.wav", "sound-u8-odd.wav"},   {"d.wav", "broken-text.wav"},
        {"e.mpg", "broken-empty.mpg"},   {"f.mid", "broken-song.mid"},
        {"g.mpg", "film-mpeg1.mpg"}};
    for (const auto& [name, source] : files)
      QVERIFY(QFile::copy(kMedia + source, folder + '/' + name));
    TestWindow t = makeRealPlayerWindow();
    FileFind& w = *t.window;
    RecordingSink* messages = t.messages;
    clickButton(w.optFilme);
    typeInto(w.Text1, "*.avi;*.wav;*.mpg;*.mid");
    searchFrom(w, tree.root());
    QCOMPARE(w.List2->listCount(), 7);
    QStringList played;
    connect(w.AMovie1.get(), &MediaPlayer::openComplete, this,
            [&] { played << w.AMovie1->fileName(); });
    clickButton(w.cmdMostraArq);
    QTRY_VERIFY_WITH_TIMEOUT(
        w.List1->listIndex() == 13 && w.AMovie1->state() != MediaPlayer::State::Running && !w.AMovie1->opening(), 60000);
    QCOMPARE(played, (QStringList{folder + "/a.avi", folder + "/c.wav", folder + "/g.mpg"}));
    QVERIFY(messages->shown.isEmpty());
  }

  void memoryDoesNotGrowWithUse() {
#ifdef __SANITIZE_ADDRESS__
    QSKIP("freed memory waits in the address sanitizer's quarantine, so residency grows");
#endif
    TestTree tree;
    const QString many = tree.folder("many");
    for (int d = 0; d < 100; ++d) {
      const QString sub = tree.folder(QString("many/%1").arg(d));
      for (int i = 0; i < 1000; ++i) tree.file(QString("many/%1/p%2.jpg").arg(d).arg(i), i);
    }
    const QString photos = tree.folder("photos");
    for (int i = 0; i < 20; ++i) makeRasterPhoto(photos, QString("p%1.bmp").arg(i), 200 + i, 150);
    const QString films = tree.folder("films");
    for (int i = 0; i < 4; ++i)
      QFile::copy(kMedia + (i % 2 ? "film-mjpeg-pcm.avi" : "sound-pcm16.wav"),
                  films + QString("/f%1.%2").arg(i).arg(i % 2 ? "avi" : "wav"));

    TestWindow t = makeRealPlayerWindow();
    FileFind& w = *t.window;
    RecordingSink* messages = t.messages;
    clickButton(w.optFoto);
    qint64 afterFirstSteps = 0;

    // Searches of 100,000 files.
    for (int i = 0; i < 3; ++i) searchFrom(w, many);
    QCOMPARE(w.List2->listCount(), 100000);
    const qint64 searchBase = residentKb();
    for (int i = 0; i < 3; ++i) searchFrom(w, many);
    const qint64 searchEnd = residentKb();

    // 1,000 slideshow steps.
    searchFrom(w, photos);
    QCOMPARE(w.List2->listCount(), 20);
    clickButton(w.cmdMostraArq);
    for (int step = 0; step < 1000; ++step) {
      if (w.viewStopped) {
        clickButton(w.cmdBusca);
        clickButton(w.cmdMostraArq);
      }
      QVERIFY(tick(w.Timer2));
      if (step == 9) afterFirstSteps = residentKb();
    }
    const qint64 slideshowBase = afterFirstSteps, slideshowEnd = residentKb();

    // 200 media openings.
    clickButton(w.cmdBusca);
    clickButton(w.optFilme);
    typeInto(w.Text1, "*.avi;*.wav");
    searchFrom(w, films);
    QCOMPARE(w.List2->listCount(), 4);
    for (int open = 0; open < 200; ++open) {
      w.List1->setListIndex(1 + 2 * (open % 4));
      QTRY_VERIFY_WITH_TIMEOUT(w.AMovie1->state() == MediaPlayer::State::Running, 10000);
      if (open == 9) afterFirstSteps = residentKb();
    }
    const qint64 mediaBase = afterFirstSteps, mediaEnd = residentKb();

    qInfo("resident KB: search %lld -> %lld, slideshow %lld -> %lld, media %lld -> %lld",
          searchBase, searchEnd, slideshowBase, slideshowEnd, mediaBase, mediaEnd);
    QVERIFY(searchEnd <= searchBase * 1.2);
    QVERIFY(slideshowEnd <= slideshowBase * 1.2);
    QVERIFY(mediaEnd <= mediaBase * 1.2);
    QVERIFY2(messages->shown.isEmpty(), qPrintable(messages->shown.join('|')));
  }
};

QTEST_MAIN(HardeningTest)
#include "tst_hardening.moc"
