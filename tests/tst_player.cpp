// The player panel with a scripted player: centring, slider range, sizes, pause, seek,
// and the tracking tick that advances through the list.
#include <QTemporaryDir>
#include <QTest>

#include "support/fakes.h"
#include "support/input.h"
#include "support/results.h"
#include "support/scriptedplayer.h"

class PlayerTest : public QObject {
  Q_OBJECT

  QStringList films;
  QTemporaryDir dir;

  // A shown window playing the first of the films.
  TestWindow windowWithFilms() {
    TestWindow t = makeTestWindow();
    t.window->showCentred();
    listAsFound(*t.window, films);
    clickButton(t.window->cmdMostraArq);
    return t;
  }

 private slots:
  void initTestCase() {
    for (int i = 0; i < 3; ++i) films << dir.filePath(QString("film%1.avi").arg(i));
  }

  void openCompleteCentresAndRanges_data() {
    QTest::addColumn<double>("duration");
    QTest::addColumn<int>("maximum");
    QTest::newRow("95.5 s") << 95.5 << 96;
    QTest::newRow("94.5 s") << 94.5 << 94;
    QTest::newRow("0.4 s") << 0.4 << 0;
    QTest::newRow("no duration") << qQNaN() << 0;
  }

  void openCompleteCentresAndRanges() {
    QFETCH(double, duration);
    TestWindow t = windowWithFilms();
    FileFind& w = *t.window;
    w.Sl1->setValue(7);
    t.player->finishOpening(duration);
    QVERIFY(w.Timer1->enabled());
    QCOMPARE(w.AMovie1->top(), 322.5f);
    QCOMPARE(w.AMovie1->left(), 1207.5f);
    QTEST(w.Sl1->maximum(), "maximum");
    QCOMPARE(w.Sl1->minimum(), 0);
    QCOMPARE(w.Sl1->value(), 0);
  }

  void sizeButtonCyclesAndCentres() {
    TestWindow t = windowWithFilms();
    FileFind& w = *t.window;
    QList<int> sizes;
    for (int i = 0; i < 5; ++i) {
      QTest::mouseClick(w.cmdMenorFilme, Qt::LeftButton);
      sizes << w.AMovie1->displaySize();
      QCOMPARE(w.AMovie1->top(), 4305 / 2.0f - w.AMovie1->height() / 2.0f);
      QCOMPARE(w.AMovie1->left(), 7035 / 2.0f - w.AMovie1->width() / 2.0f + 120);
    }
    QCOMPARE(sizes, QList<int>({1, 2, 3, 4, 0}));
    QCOMPARE(w.AMovie1->top(), 322.5f);

    t.player->forceDisplaySize(7);  // outside 0..4: unchanged, centred all the same
    w.AMovie1->setTop(0);
    clickButton(w.cmdMenorFilme);
    QCOMPARE(w.AMovie1->displaySize(), 7);
    QCOMPARE(w.AMovie1->top(), 322.5f);
  }

  void pauseAndContinue() {
    TestWindow t = windowWithFilms();
    FileFind& w = *t.window;
    t.player->finishOpening(30);
    clickButton(w.cmdPararFilme);
    QCOMPARE(w.cmdPararFilme->text(), QStringLiteral("&Continuar"));
    QCOMPARE(t.player->pauses, 1);
    QVERIFY(!w.Timer1->enabled());
    QVERIFY(w.AMovie1->state() != MediaPlayer::State::Running);

    clickButton(w.cmdPararFilme);
    QCOMPARE(w.cmdPararFilme->text(), QStringLiteral("&Pausa"));
    QCOMPARE(t.player->runs, 1);
    QVERIFY(w.Timer1->enabled());

    // Another file opened while paused plays and is tracked, and the button says it plays.
    clickButton(w.cmdPararFilme);
    clickButton(w.cmdProximo);
    QCOMPARE(t.player->fileName(), films[1]);
    QVERIFY(w.Timer1->enabled());  // it tracks the opening, to pass over a file that fails
    QCOMPARE(w.cmdPararFilme->text(), QStringLiteral("&Continuar"));  // until it opens
    t.player->finishOpening(30);
    QVERIFY(w.Timer1->enabled());
    QCOMPARE(w.cmdPararFilme->text(), QStringLiteral("&Pausa"));
    clickButton(w.cmdPararFilme);
    QCOMPARE(t.player->pauses, 3);
  }

  void onlyTheUsersMovesSeek() {
    TestWindow t = windowWithFilms();
    FileFind& w = *t.window;
    t.player->finishOpening(100);
    t.player->setPosition(12.5);
    QVERIFY(tick(w.Timer1));
    QCOMPARE(w.Sl1->value(), 12);
    t.player->setPosition(13.5);
    QVERIFY(tick(w.Timer1));
    QCOMPARE(w.Sl1->value(), 14);
    QVERIFY(t.player->seeks.isEmpty());

    clickSliderKnob(w.Sl1);  // the film goes to where the knob shows
    QCOMPARE(t.player->seeks, QList<double>({14}));
    clickSliderToward(w.Sl1, 100);  // a page on, seeking as it moves and once more on release
    QCOMPARE(w.Sl1->value(), 24);
    QCOMPARE(t.player->seeks, QList<double>({14, 24, 24}));
    w.Sl1->setFocus();
    QTest::keyClick(w.Sl1, Qt::Key_Right);
    QCOMPARE(t.player->seeks.last(), 25.0);
    QTest::keyClick(w.Sl1, Qt::Key_Home);
    QCOMPARE(t.player->seeks.last(), 0.0);
    const int seeks = t.player->seeks.size();
    w.Sl1->setValue(50);  // the program's own change
    QCOMPARE(t.player->seeks.size(), seeks);
  }

  void trackingAdvancesWhenThePlayerStops() {
    TestWindow t = windowWithFilms();
    FileFind& w = *t.window;
    t.player->finishOpening(10);
    t.player->setState(MediaPlayer::State::Stopped);  // ended
    QVERIFY(tick(w.Timer1));
    QCOMPARE(w.List1->listIndex(), 3);
    QCOMPARE(t.player->fileName(), films[1]);
    t.player->setOpening(true);  // a slow file is waited for, not passed over
    QVERIFY(tick(w.Timer1));
    QCOMPARE(w.List1->listIndex(), 3);
    t.player->setOpening(false);
    t.player->setState(MediaPlayer::State::Paused);  // any state but running counts as finished
    QVERIFY(tick(w.Timer1));
    QCOMPARE(t.player->fileName(), films[2]);
    t.player->setState(MediaPlayer::State::Stopped);
    const int opened = t.player->opened.size();
    QVERIFY(tick(w.Timer1));  // the last file: nothing more
    QCOMPARE(w.List1->listIndex(), 5);
    QCOMPARE(t.player->opened.size(), opened);

    pressKeyIn(w.List1, Qt::Key_Home);
    pressKeyIn(w.List1, Qt::Key_Up);  // Up from the first file: no selection, no file
    QCOMPARE(w.List1->listIndex(), -1);
    QVERIFY(tick(w.Timer1));  // no selection: the first file
    QCOMPARE(w.List1->listIndex(), 1);
    QCOMPARE(t.player->fileName(), films[0]);

    w.viewStopped = true;  // a tick already due when the view stopped
    w.Timer1->setEnabled(true);
    t.player->setState(MediaPlayer::State::Stopped);
    QVERIFY(tick(w.Timer1));
    QVERIFY(!w.Timer1->enabled());
    QCOMPARE(w.List1->listIndex(), 1);
  }
};

QTEST_MAIN(PlayerTest)
#include "tst_player.moc"
