// Whole roads through the real window, the real search and the real player.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "controls/twips.h"
#include "support/fakes.h"
#include "support/input.h"
#include "support/pictures.h"

namespace {

const QString kMedia = QStringLiteral(VISTARA_TEST_DATA "/media/");

}  // namespace

class EndToEndTest : public QObject {
  Q_OBJECT

 private slots:
  void threeFilmsPlayThroughByThemselves() {
    QTemporaryDir dir;
    for (const char* name : {"a.avi", "b.mpg", "c.mov"}) {
      const QString source = QString::fromLatin1(name).startsWith('a')   ? "film-mjpeg-pcm.avi"
                             : QString::fromLatin1(name).startsWith('b') ? "film-mpeg1.mpg"
                                                                         : "film-h264-aac.mov";
      QVERIFY(QFile::copy(kMedia + source, dir.filePath(name)));
    }
    TestWindow t = makeRealPlayerWindow();
    FileFind& w = *t.window;
    RecordingSink* messages = t.messages;
    w.showCentred();
    searchFrom(w, dir.path());
    QCOMPARE(w.List2->listCount(), 3);
    clickButton(w.cmdMostraArq);

    QStringList played;
    for (int file = 0; file < 3; ++file) {
      QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
      QVERIFY(w.Timer1->enabled());
      QTRY_VERIFY(w.Sl1->maximum() >= 2 && w.Sl1->maximum() <= 4);  // open-complete came
      played << w.AMovie1->fileName();
      QTRY_VERIFY_WITH_TIMEOUT(w.AMovie1->state() != MediaPlayer::State::Running, 10000);  // played to its end
      QVERIFY(tick(w.Timer1));  // the tracking tick: the next file, or nothing after the last
    }
    QCOMPARE(played,
             QStringList({dir.filePath("a.avi"), dir.filePath("b.mpg"), dir.filePath("c.mov")}));
    QCOMPARE(w.List1->listIndex(), 5);
    QVERIFY(w.AMovie1->state() != MediaPlayer::State::Running);
    QVERIFY(messages->shown.isEmpty());
  }

  void brokenMediaArePassedOver() {
    QTemporaryDir dir;
    QVERIFY(QFile::copy(kMedia + "broken-truncated.avi", dir.filePath("1.avi")));
    QVERIFY(QFile::copy(kMedia + "broken-empty.mpg", dir.filePath("2.mpg")));
    QVERIFY(QFile::copy(kMedia + "film-mpeg4-mp3.avi", dir.filePath("3.avi")));
    TestWindow t = makeRealPlayerWindow();
    FileFind& w = *t.window;
    RecordingSink* messages = t.messages;
    searchFrom(w, dir.path());
    clickButton(w.cmdMostraArq);
    // The tracking tick passes over what cannot be opened, the first file too; the good
    // film plays.
    QTRY_COMPARE_WITH_TIMEOUT(w.List1->listIndex(), 5, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    QCOMPARE(w.AMovie1->fileName(), dir.filePath("3.avi"));
    QVERIFY(messages->shown.isEmpty());
  }

  void photoRoadFromSearchToFullScreenAndBack() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("sub");
    makeRasterPhoto(dir.path(), "a.jpg", 954, 578);
    makeRasterPhoto(dir.path() + "/sub", "b.bmp", 40, 30);
    makeMetafilePhoto(dir.path() + "/sub", "c.WMF", 1500, 1000);
    QFile broken(dir.filePath("sub/d.gif"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("GIF89a broken");
    broken.close();
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    clickButton(w.optFoto);
    searchFrom(w, dir.path());
    QCOMPARE(w.List2->listCount(), 4);

    clickButton(w.cmdMostraArq);
    QCOMPARE(w.Label3->text(), dir.filePath("a.jpg"));
    QCOMPARE(tw::width(w.Image1), 7155.0f);
    QVERIFY(tick(w.Timer2));
    QCOMPARE(w.Label3->text(), dir.filePath("sub/b.bmp"));
    QCOMPARE(tw::width(w.Image1), 600.0f);
    QVERIFY(tick(w.Timer2));
    QCOMPARE(tw::width(w.Image1), 1500.0f);
    QVERIFY(tick(w.Timer2));  // the broken one: an empty picture, the show goes on
    QCOMPARE(w.Label3->text(), dir.filePath("sub/d.gif"));
    QVERIFY(w.Image1->picture().isNull());
    QVERIFY(w.Timer2->enabled());
    QVERIFY(tick(w.Timer2));
    QVERIFY(w.viewStopped);

    clickButton(w.cmdTelaGrande);
    QVERIFY(w.frmImg2->isVisible());
    clickButton(w.cmdAntFoto2);
    QCOMPARE(w.caption(), dir.filePath("sub/c.WMF"));
    clickButton(w.cmdImage2Tela);
    QCOMPARE(w.caption(), QStringLiteral("Vistara"));
    clickButton(w.cmdBusca);
    QVERIFY(!w.frmFoto->isVisible());
    QCOMPARE(w.List2->listCount(), 4);
    QVERIFY(t.messages->shown.isEmpty());
  }

  void aFileDeletedAfterTheSearch() {
    QTemporaryDir dir;
    makeRasterPhoto(dir.path(), "a.jpg", 30, 30);
    makeRasterPhoto(dir.path(), "b.jpg", 60, 60);
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    clickButton(w.optFoto);
    searchFrom(w, dir.path());
    QVERIFY(QFile::remove(dir.filePath("b.jpg")));
    clickLine(w.List1, 1);
    clickButton(w.cmdProfoto);
    QCOMPARE(w.Label3->text(), dir.filePath("b.jpg"));
    QVERIFY(w.Image1->picture().isNull());  // not a.jpg under b.jpg's name
    QVERIFY(t.messages->shown.isEmpty());
  }
};

QTEST_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
