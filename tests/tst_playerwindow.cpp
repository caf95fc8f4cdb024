// The window with the real player, driven as a person drives it: moving to the next
// and previous file over a film that cannot be played, the pause button after a move,
// sound without a picture after a film, dragging the position slider while a film
// plays, and the first size a film larger than the panel is shown at.
#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "controls/timer.h"
#include "media/mpvview.h"
#include "support/fakes.h"
#include "support/input.h"

namespace {

const QString kMedia = QStringLiteral(VISTARA_TEST_DATA "/media/");

// The centre of the slider's thumb, in the slider's own coordinates.
QPoint thumbCentre(QSlider* slider) {
  QStyleOptionSlider option;
  option.initFrom(slider);
  option.orientation = slider->orientation();
  option.minimum = slider->minimum();
  option.maximum = slider->maximum();
  option.sliderPosition = slider->sliderPosition();
  option.sliderValue = slider->value();
  return slider->style()
      ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
      .center();
}

// Where on the slider's groove the thumb stands for `value`.
QPoint pointFor(QSlider* slider, int value) {
  QStyleOptionSlider option;
  option.initFrom(slider);
  option.orientation = slider->orientation();
  option.minimum = slider->minimum();
  option.maximum = slider->maximum();
  const QRect groove =
      slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider);
  const QRect handle =
      slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
  const int span = groove.width() - handle.width();
  const int x = groove.x() + handle.width() / 2 +
                QStyle::sliderPositionFromValue(slider->minimum(), slider->maximum(), value, span);
  return {x, thumbCentre(slider).y()};
}

// A move with the left button held: QTest::mouseMove carries no buttons.
void dragTo(QWidget* widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

}  // namespace

class TestPlayerWindow : public QObject {
  Q_OBJECT

  // A shown window with the real player that found `names` (copied from the fixtures
  // under the names given) and plays the first.
  static TestWindow playing(QTemporaryDir& dir, const QList<QPair<QString, QString>>& names) {
    for (const auto& [fixture, name] : names) QFile::copy(kMedia + fixture, dir.filePath(name));
    TestWindow t = makeRealPlayerWindow();
    FileFind& w = *t.window;
    w.showCentred();
    searchFrom(w, dir.path());
    QTest::mouseClick(w.cmdMostraArq, Qt::LeftButton);
    return t;
  }

 private slots:
  void brokenFilmReachedByHand_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("startAt");
    QTest::newRow("Próximo") << "cmdProximo"
                             << "a.avi";
    QTest::newRow("Anterior") << "cmdAnterior"
                              << "c.avi";
  }

  // A film that cannot be played, reached with a button, is passed over as the
  // automatic advance passes it: the next film plays.
  void brokenFilmReachedByHand() {
    QFETCH(QString, button);
    QFETCH(QString, startAt);
    QTemporaryDir dir;
    TestWindow t = playing(dir, {{"film-mjpeg-pcm.avi", "a.avi"},
                                 {"broken-truncated.avi", "b.avi"},
                                 {"film-mpeg4-mp3.avi", "c.avi"}});
    FileFind& w = *t.window;
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    if (startAt == "c.avi") {
      QTest::mouseClick(w.cmdProximo, Qt::LeftButton);
      QTest::mouseClick(w.cmdProximo, Qt::LeftButton);
      QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    }
    QCOMPARE(w.AMovie1->fileName(), dir.filePath(startAt));
    QTest::mouseClick(w.findChild<QPushButton*>(button), Qt::LeftButton);
    QCOMPARE(w.AMovie1->fileName(), dir.filePath("b.avi"));
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->fileName(), dir.filePath("c.avi"), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    QCOMPARE(w.List1->listIndex(), 5);
    QVERIFY(t.messages->shown.isEmpty());
  }

  // Pausa, then Próximo: the next film plays, and the button says so.
  void nextAfterAPauseReadsPausa() {
    QTemporaryDir dir;
    TestWindow t = playing(dir, {{"film-mjpeg-pcm.avi", "a.avi"}, {"film-mpeg4-mp3.avi", "b.avi"}});
    FileFind& w = *t.window;
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    QTest::mouseClick(w.cmdPararFilme, Qt::LeftButton);
    QCOMPARE(w.cmdPararFilme->text(), QStringLiteral("&Continuar"));
    QTest::mouseClick(w.cmdProximo, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(w.AMovie1->currentPosition() > 0.5, 5000);
    QCOMPARE(w.cmdPararFilme->text(), QStringLiteral("&Pausa"));
    QTest::mouseClick(w.cmdPararFilme, Qt::LeftButton);  // one press pauses it
    QCOMPARE(w.AMovie1->state(), MediaPlayer::State::Paused);
  }

  // A film with sound only looks the same reached from a film as opened first by a
  // click: its name on black, nothing of the film before.
  void soundOnlyFilmAfterAFilm() {
    QTemporaryDir dir;
    QFile::copy(kMedia + "film-mjpeg-pcm.avi", dir.filePath("a.avi"));
    QFile::copy(kMedia + "../playthrough/g_audioonly.avi", dir.filePath("b.avi"));
    TestWindow t = makeRealPlayerWindow();
    FileFind& w = *t.window;
    w.showCentred();
    searchFrom(w, dir.path());
    auto* view = w.Picture1->findChild<MpvView*>();
    clickLine(w.List1, 3);
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    const QImage first = view->grab().toImage();

    clickLine(w.List1, 1);
    QTRY_VERIFY_WITH_TIMEOUT(view->hasPicture() && view->isVisible(), 10000);
    QTest::mouseClick(w.cmdProximo, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(w.AMovie1->currentPosition() > 0.5, 5000);
    QVERIFY(!view->hasPicture());
    QCOMPARE(view->grab().toImage(), first);
  }

  // Dragging the thumb while the film plays seeks as it goes; the thumb stays under
  // the mouse while it is held, across the tracking ticks, and the film plays on from
  // where it was let go.
  void dragTheSliderWhilePlaying() {
    QTemporaryDir dir;
    TestWindow t = playing(dir, {{"film-long-mpeg4.avi", "long.avi"}});
    FileFind& w = *t.window;
    QTRY_COMPARE_WITH_TIMEOUT(w.AMovie1->state(), MediaPlayer::State::Running, 10000);
    QTRY_COMPARE(w.Sl1->maximum(), 12);  // open-complete came
    QVERIFY(w.Timer1->enabled());
    Slider* slider = w.Sl1;

    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, thumbCentre(slider));
    QVERIFY(slider->isSliderDown());
    for (int value : {3, 6, 9}) {
      dragTo(slider, pointFor(slider, value));
      QCOMPARE(slider->sliderPosition(), value);  // the thumb follows the mouse
      QTRY_VERIFY_WITH_TIMEOUT(std::abs(w.AMovie1->currentPosition() - value) < 0.6, 3000);
    }
    // Back in one sweep, every pixel a move, as fast as the events come.
    for (int x = pointFor(slider, 9).x(); x >= pointFor(slider, 2).x(); --x)
      dragTo(slider, {x, thumbCentre(slider).y()});
    QCOMPARE(slider->sliderPosition(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(w.AMovie1->currentPosition() - 2) < 0.6, 3000);
    dragTo(slider, pointFor(slider, 9));
    QSignalSpy ticks(w.Timer1, &Timer::timer);
    QVERIFY(ticks.wait(5000));  // held through a tracking tick
    QCOMPARE(slider->sliderPosition(), 9);
    QCOMPARE(slider->value(), 9);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, pointFor(slider, 9));
    QVERIFY(!slider->isSliderDown());

    // Played on from there, never back to where the drag began.
    QVERIFY(ticks.wait(5000));
    QVERIFY2(slider->value() >= 9, qPrintable(QString::number(slider->value())));
    QVERIFY(w.AMovie1->currentPosition() >= 9);
    QCOMPARE(w.AMovie1->state(), MediaPlayer::State::Running);
  }

  // A film larger than the panel is first shown whole, inside the panel and in its own
  // shape; the sizes that enlarge on purpose still do.
  void largeFilmFirstShownWhole() {
    QTemporaryDir dir;
    TestWindow t = playing(dir, {{"film-large-mpeg4.avi", "large.avi"}});
    FileFind& w = *t.window;
    QTRY_COMPARE_WITH_TIMEOUT(w.Sl1->maximum(), 2, 10000);  // open-complete came
    QCOMPARE(w.AMovie1->displaySize(), 0);
    auto* view = w.Picture1->findChild<MpvView*>();
    QVERIFY(view && view->isVisible());
    QVERIFY2(w.Picture1->rect().contains(view->geometry()), qPrintable(QString("%1 x %2 at %3, %4")
                                                                           .arg(view->width())
                                                                           .arg(view->height())
                                                                           .arg(view->x())
                                                                           .arg(view->y())));
    QVERIFY(view->width() > w.Picture1->width() * 0.9);  // as large as the panel allows
    QVERIFY(std::abs(w.AMovie1->height() / w.AMovie1->width() - 576 / 1024.f) < 0.001);

    QTest::mouseClick(w.cmdMenorFilme, Qt::LeftButton);  // half: whole as well
    QVERIFY(w.Picture1->rect().contains(view->geometry()));
    QTest::mouseClick(w.cmdMenorFilme, Qt::LeftButton);  // double: twice its own size
    QCOMPARE(w.AMovie1->width(), 1024 * 2 * 15.f);
  }
};

QTEST_MAIN(TestPlayerWindow)
#include "tst_playerwindow.moc"
