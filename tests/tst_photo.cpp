// Photos: fitting into the panel and the full screen, stepping, slideshow, full screen.
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "controls/twips.h"
#include "support/fakes.h"
#include "support/hugepictures.h"
#include "support/input.h"
#include "support/memory.h"
#include "support/pictures.h"
#include "support/results.h"

namespace {

struct Geometry {
  float width, height, left, top;
};

Geometry geometryOf(QWidget* box) {
  return {tw::width(box), tw::height(box), tw::left(box), tw::top(box)};
}

// A photo of exactly w x h twips: raster where the pixels allow it, metafile otherwise.
QString photoOfTwips(const QString& folder, const QString& name, int w, int h) {
  if (w % 15 == 0 && h % 15 == 0) return makeRasterPhoto(folder, name + ".png", w / 15, h / 15);
  return makeMetafilePhoto(folder, name + ".wmf", w, h);
}

// The rows of `image` within `area` that hold any pixel other than `back`.
int inkRowsIn(const QImage& image, const QRect& area, QRgb back) {
  int rows = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (image.pixel(x, y) != back) {
        ++rows;
        break;
      }
    }
  }
  return rows;
}

// The rows of ink a label shows inside its frame.
int inkRows(QLabel* label) {
  const QImage shot = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRect inside = label->contentsRect();
  return inkRowsIn(shot, inside, shot.pixel(inside.topLeft()));
}

// The rows of ink the whole of `text` takes, drawn with nothing to cut it.
int inkRowsOf(const QString& text, const QFont& font) {
  const QFontMetrics metrics(font);
  QImage image(metrics.horizontalAdvance(text) + 8, metrics.height() * 3, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(4, metrics.height() * 2, text);
  painter.end();
  return inkRowsIn(image, image.rect(), qRgb(255, 255, 255));
}

bool nearColour(QColor seen, QColor wanted) {
  return qAbs(seen.red() - wanted.red()) <= 3 && qAbs(seen.green() - wanted.green()) <= 3 &&
         qAbs(seen.blue() - wanted.blue()) <= 3;
}

}  // namespace

class PhotoTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;

 private slots:
  void fitsIntoTheLimitBox_data() {
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("w0");
    QTest::addColumn<int>("h0");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<float>("left");
    QTest::addColumn<float>("top");
    const int panel = int(FileFind::Fit::Panel), tick = int(FileFind::Fit::PanelSlideshowTick);
    const int full = int(FileFind::Fit::FullScreen);
    const int entering = int(FileFind::Fit::FullScreenEntering);
    QTest::newRow("panel, small") << panel << 1500 << 1000 << 1500.f << 1000.f << 2857.5f
                                  << 1892.5f;
    QTest::newRow("panel, exactly the limits")
        << panel << 7155 << 4335 << 7155.f << 4335.f << 30.f << 225.f;
    QTest::newRow("panel, width decides")
        << panel << 14310 << 4000 << 7155.f << 2000.f << 30.f << 1392.5f;
    QTest::newRow("panel, height decides")
        << panel << 6000 << 8670 << 3000.f << 4335.f << 2107.5f << 225.f;
    QTest::newRow("panel, equal ratios")
        << panel << 14310 << 8670 << 7155.f << 4335.f << 30.f << 225.f;
    // Scaled by 7155 / 6495 (about 1.1016) in single precision.
    const float f = 7155.f / 6495.f, tickW = 7155.f / f, tickH = 4335.f / f;
    QTest::newRow("tick, the panel's limits")
        << tick << 7155 << 4335 << tickW << tickH << float(6495.0 / 2 - double(tickW) / 2 + 360)
        << float(4305.0 / 2 - double(tickH) / 2 + 240);
    QTest::newRow("tick, width decides")
        << tick << 12990 << 4000 << 6495.f << 2000.f << 360.f << 1392.5f;
    // Full screen with limits 9000 x 6000 (a window of 9320 x 6750).
    QTest::newRow("full, scaled") << full << 18000 << 6000 << 9000.f << 3000.f << 80.f << 1650.f;
    QTest::newRow("full, entering")
        << entering << 18000 << 6000 << 9000.f << 3000.f << 50.f << 1600.f;
    QTest::newRow("full, not scaled")
        << full << 1000 << 1000 << 1000.f << 1000.f << 4080.f << 2650.f;
  }

  void fitsIntoTheLimitBox() {
    QFETCH(int, variant);
    QFETCH(int, w0);
    QFETCH(int, h0);
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.maxPhotoWidth = 9000;
    w.maxPhotoHeight = 6000;
    const auto fit = FileFind::Fit(variant);
    const bool panel = fit == FileFind::Fit::Panel || fit == FileFind::Fit::PanelSlideshowTick;
    ImageBox* box = panel ? w.Image1 : w.Image2;
    const QString path = photoOfTwips(dir.path(), QTest::currentDataTag(), w0, h0);
    w.Label3->setText("before");
    w.fitPicture(box, path, fit);
    const Geometry g = geometryOf(box);
    QTEST(g.width, "width");
    QTEST(g.height, "height");
    QTEST(g.left, "left");
    QTEST(g.top, "top");
    QVERIFY(box->stretch());
    QVERIFY(!box->picture().isNull());
    QCOMPARE(w.Label3->text(), panel ? path : QStringLiteral("before"));
  }

  void emptyPathClearsTheBox() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.fitPicture(w.Image1, makeRasterPhoto(dir.path(), "a.png", 100, 100), FileFind::Fit::Panel);
    w.fitPicture(w.Image1, QString(), FileFind::Fit::Panel);
    QVERIFY(w.Image1->picture().isNull());
    QCOMPARE(tw::width(w.Image1), 0.0f);
    QCOMPARE(w.Label3->text(), QString());
    QVERIFY(t.messages->shown.isEmpty());
  }

  // A photo that cannot be shown, stepped to in the panel and on the full screen: the
  // picture is emptied (never the previous one under the new name), the panel's path line
  // or the window's caption names the file, no message box, and the reason is logged once,
  // with the path once.
  void aPhotoThatCannotBeShownEmptiesThePicture() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    clickButton(w.optFoto);
    const QString good = makeRasterPhoto(dir.path(), "shown.png", 60, 40);
    QFile text(dir.filePath("a-letter.jpg"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("Dear reader,\nthis is not a photo.\n");
    text.close();
    QFile empty(dir.filePath("zero-bytes.jpg"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    listAsFound(w, {good, text.fileName(), good, empty.fileName()});
    clickLine(w.List1, 1);
    QVERIFY(!w.Image1->picture().isNull());

    auto logsOnce = [](const QString& path) {
      const QString reason = QRegularExpression::escape(path) + ": [^/]+$";
      QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^" + reason));
      QTest::failOnWarning(QRegularExpression(QRegularExpression::escape(path)));
    };
    logsOnce(text.fileName());
    clickButton(w.cmdProfoto);
    QCOMPARE(w.Label3->text(), text.fileName());
    QVERIFY(w.Image1->picture().isNull());
    QCOMPARE(tw::width(w.Image1), 0.0f);

    clickButton(w.cmdProfoto);  // a photo again: shown as ever
    QVERIFY(!w.Image1->picture().isNull());
    clickButton(w.cmdTelaGrande);
    QVERIFY(!w.Image2->picture().isNull());
    logsOnce(empty.fileName());
    clickButton(w.cmdProFoto2);
    QCOMPARE(w.caption(), empty.fileName());
    QVERIFY(w.Image2->picture().isNull());
    QCOMPARE(tw::width(w.Image2), 0.0f);
    QVERIFY(t.messages->shown.isEmpty());
  }

  // The panel's path line draws whole glyphs at its stored size (an underscore is not a
  // blank), and a path wider than the line keeps its end, the file name, in sight; the
  // whole path is the line's tooltip.
  void thePathLineShowsTheFileName() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    clickButton(w.optFoto);
    const QString deep = dir.filePath(
        "a folder with a long name/and another one below it/"
        "and a third with yet more words in it");
    QVERIFY(QDir().mkpath(deep));
    const QString underscore = makeRasterPhoto(dir.path(), "big_6000x4000.png", 60, 40);
    const QString far = makeRasterPhoto(deep, "holiday_photo_at_the_beach.png", 60, 40);
    listAsFound(w, {underscore, far});
    const float height = tw::height(w.Label3);
    const qreal points = w.Label3->font().pointSizeF();

    clickLine(w.List1, 1);
    QCOMPARE(w.Label3->toolTip(), underscore);
    QCOMPARE(inkRows(w.Label3), inkRowsOf(w.Label3->text(), w.Label3->font()));

    clickButton(w.cmdProfoto);
    QCOMPARE(w.Label3->text(), far);
    QCOMPARE(w.Label3->toolTip(), far);
    const QString shown = w.Label3->shownText();
    QVERIFY2(shown.startsWith(QChar(0x2026)) && shown.endsWith("/holiday_photo_at_the_beach.png"),
             qPrintable(shown));
    QVERIFY(QFontMetrics(w.Label3->font()).horizontalAdvance(shown) <=
            w.Label3->contentsRect().width());
    QCOMPARE(tw::height(w.Label3), height);
    QCOMPARE(w.Label3->font().pointSizeF(), points);
  }

  void steppingPausesAndStopsAtTheEnds() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    clickButton(w.optFoto);
    QStringList photos;
    for (int i = 0; i < 3; ++i)
      photos << makeRasterPhoto(dir.path(), QString("step%1.png").arg(i), 10 + i, 10);
    listAsFound(w, photos);
    clickLine(w.List1, 3);  // opens photo 1
    QCOMPARE(w.List2->listIndex(), 1);
    w.Timer2->setEnabled(true);
    w.cmdContFoto->setText("&Parar");

    clickButton(w.cmdProfoto);
    QCOMPARE(w.List2->listIndex(), 2);
    QCOMPARE(w.List1->listIndex(), 5);
    QCOMPARE(w.Label3->text(), photos[2]);
    QVERIFY(!w.Timer2->enabled());
    QCOMPARE(w.cmdContFoto->text(), QStringLiteral("&Continuar"));
    clickButton(w.cmdProfoto);  // the last one: nothing more
    QCOMPARE(w.List1->listIndex(), 5);
    QCOMPARE(w.Label3->text(), photos[2]);

    clickButton(w.cmdAntFoto);
    clickButton(w.cmdAntFoto);
    QCOMPARE(w.List1->listIndex(), 1);
    QCOMPARE(w.Label3->text(), photos[0]);
    clickButton(w.cmdAntFoto);  // the first one: only pauses
    QCOMPARE(w.List2->listIndex(), 0);

    // Keys on the previous button set the skip direction, nothing else.
    QTest::keyClick(w.cmdAntFoto, Qt::Key_Up);
    QVERIFY(w.upKeyPressed);
    QTest::keyClick(w.cmdAntFoto, Qt::Key_A);
    QVERIFY(!w.upKeyPressed);
  }

  // No control shows the photo buttons over an empty result; called as a guard.
  void steppingWithEmptyListsOnlyPauses() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.Timer2->setEnabled(true);
    w.cmdProfoto_Click();
    w.cmdAntFoto_Click();
    QVERIFY(!w.Timer2->enabled());
    QCOMPARE(w.cmdContFoto->text(), QStringLiteral("&Continuar"));
    QVERIFY(t.messages->shown.isEmpty());
  }

  void slideshowRunsToTheLastPhoto() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    clickButton(w.optFoto);
    QStringList photos;
    for (int i = 0; i < 3; ++i)
      photos << photoOfTwips(dir.path(), QString("show%1").arg(i), 7155, 4335);
    listAsFound(w, photos);
    clickButton(w.cmdMostraArq);  // from the first photo, running
    QCOMPARE(w.Label3->text(), photos[0]);
    QCOMPARE(w.cmdContFoto->text(), QStringLiteral("&Parar"));
    QVERIFY(w.Timer2->enabled());

    QVERIFY(tick(w.Timer2));
    QCOMPARE(w.Label3->text(), photos[1]);
    QCOMPARE(tw::width(w.Image1), 7155.0f);  // shown as an opening shows it
    QVERIFY(tick(w.Timer2));
    QCOMPARE(w.Label3->text(), photos[2]);
    QVERIFY(tick(w.Timer2));  // the last one: refitted in the smaller box, then the end
    QVERIFY(qAbs(tw::width(w.Image1) - 6495.0f) < 0.01f);
    QVERIFY(w.viewStopped);
    QVERIFY(!w.Timer2->enabled());
    QCOMPARE(w.cmdContFoto->text(), QStringLiteral("&Parar"));

    // Two clicks after the end give one tick that only switches the timer off.
    clickButton(w.cmdContFoto);
    clickButton(w.cmdContFoto);
    QVERIFY(w.Timer2->enabled());
    QVERIFY(tick(w.Timer2));
    QVERIFY(!w.Timer2->enabled());
    QCOMPARE(w.Label3->text(), photos[2]);

    // The previous photo clears the end; continuing runs from there.
    clickButton(w.cmdAntFoto);
    QVERIFY(!w.viewStopped);
    clickButton(w.cmdContFoto);
    QVERIFY(w.Timer2->enabled());
    QVERIFY(tick(w.Timer2));
    QCOMPARE(w.Label3->text(), photos[2]);
  }

  // States no control leads to, set directly: the timer running over an empty result or
  // without a selection.
  void slideshowEdgeTicks() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    clickButton(w.optFoto);
    w.Timer2->setEnabled(true);
    QVERIFY(tick(w.Timer2));  // empty result: the end at once
    QVERIFY(w.viewStopped);
    QVERIFY(!w.Timer2->enabled());

    const QString a = makeRasterPhoto(dir.path(), "tick.png", 20, 20);
    listAsFound(w, {a, a});
    w.List1->setListIndex(-1);
    w.viewStopped = false;
    w.Timer2->setEnabled(true);
    QVERIFY(tick(w.Timer2));  // no selection: clears the box, then opens the first file
    QCOMPARE(w.List1->listIndex(), 1);
    QCOMPARE(w.List2->listIndex(), 0);
    QCOMPARE(w.Label3->text(), a);
  }

  void sliderSetsThePace_data() {
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("interval");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Home") << "Home" << 1 << 10 << "T=  .01 Seg.";
    QTest::newRow("Page Down") << "PageDown" << 90 << 900 << "T=  .9 Seg.";
    QTest::newRow("Left") << "Left" << 99 << 990 << "T=  .99 Seg.";
    QTest::newRow("Right") << "Right" << 101 << 1010 << "T=  1.01 Seg.";
    QTest::newRow("End") << "End" << 200 << 2000 << "T=  2 Seg.";
    QTest::newRow("click toward 200") << "click" << 110 << 1100 << "T=  1.1 Seg.";
  }

  void sliderSetsThePace() {
    QFETCH(QString, gesture);
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    clickButton(w.optFoto);
    listAsFound(w, {makeRasterPhoto(dir.path(), "pace.png", 10, 10)});
    clickButton(w.cmdMostraArq);  // the slideshow runs, the slider is on screen
    QVERIFY(w.Timer2->enabled());
    if (gesture == "click") {
      clickSliderToward(w.SlFoto, 200);
    } else {
      const QMap<QString, Qt::Key> keys = {{"Home", Qt::Key_Home},
                                           {"PageDown", Qt::Key_PageDown},
                                           {"Left", Qt::Key_Left},
                                           {"Right", Qt::Key_Right},
                                           {"End", Qt::Key_End}};
      w.SlFoto->setFocus(Qt::TabFocusReason);
      QTest::keyClick(w.SlFoto, keys.value(gesture));
    }
    QTEST(w.SlFoto->value(), "value");
    QTEST(w.Timer2->interval(), "interval");
    QTEST(w.lblTempoFoto->text(), "caption");
    QVERIFY(w.Timer2->enabled());
  }

  void fullScreenEntersStepsAndLeaves() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    clickButton(w.optFoto);
    const QString small = photoOfTwips(dir.path(), "fs-small", 1000, 1000);
    const QString wide = photoOfTwips(dir.path(), "fs-wide", 18560, 6450);
    listAsFound(w, {small, wide});
    clickLine(w.List1, 1);
    QCOMPARE(w.Label3->text(), small);

    clickButton(w.cmdTelaGrande);
    QVERIFY(w.frmImg2->isVisible());
    QVERIFY(!w.photoInPanel);
    QCOMPARE(geometryOf(w.Image2).left, 4190.0f);
    QCOMPARE(geometryOf(w.Image2).top, 2825.0f);
    QCOMPARE(w.caption(), QStringLiteral("Vistara"));

    clickButton(w.cmdProFoto2);  // stepping recentres by 80 and 150
    QCOMPARE(w.List1->listIndex(), 3);
    const Geometry g = geometryOf(w.Image2);
    QCOMPARE(g.width, 9280.0f);
    QCOMPARE(g.height, 3225.0f);
    QCOMPARE(g.left, 80.0f);
    QCOMPARE(g.top, 1762.5f);
    QCOMPARE(w.caption(), wide);        // the opening wrote the path into the caption
    QCOMPARE(w.Label3->text(), small);  // the panel was not touched

    clickButton(w.cmdImage2Tela);
    QVERIFY(!w.frmImg2->isVisible());
    QVERIFY(w.photoInPanel);
    QCOMPARE(w.caption(), QStringLiteral("Vistara"));
    QCOMPARE(w.List1->listIndex(), 3);
    // The panel shows the selected photo, fitted as a selection fits it.
    QCOMPARE(w.Label3->text(), wide);
    QCOMPARE(w.Image1->naturalSize(), QSizeF(18560, 6450));
    QCOMPARE(geometryOf(w.Image1).width, 7155.0f);
    QCOMPARE(geometryOf(w.Image1).left, 30.0f);

    clickButton(w.cmdTelaGrande);  // entering with the wide photo: width decides
    QCOMPARE(geometryOf(w.Image2).left, 50.0f);
    QCOMPARE(geometryOf(w.Image2).top, 1712.5f);
    clickButton(w.cmdAntFoto2);
    QCOMPARE(w.List1->listIndex(), 1);
    QCOMPARE(w.caption(), small);
  }

  // The full screen's "<" and ">" stand on a black frame with the desktop's button look:
  // each is drawn exactly as the same button standing on its own.
  void fullScreenStepButtonsHaveTheStandardLook() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    clickButton(w.optFoto);
    listAsFound(w, {makeRasterPhoto(dir.path(), "look-a.jpg", 30, 20),
                    makeRasterPhoto(dir.path(), "look-b.jpg", 30, 20)});
    clickLine(w.List1, 1);
    clickButton(w.cmdTelaGrande);
    QVERIFY(w.frmImg2->isVisible());
    for (QPushButton* shown : {w.cmdAntFoto2, w.cmdProFoto2}) {
      QVERIFY(shown->isVisible());
      QWidget plain;
      QPushButton alone(shown->text(), &plain);
      alone.setFont(shown->font());
      alone.setGeometry(shown->geometry());
      QCOMPARE(shown->grab().toImage(), alone.grab().toImage());
    }
  }

  // A scanned poster of 22,500 x 33,300 pixels (750 megapixels) is decoded at an eighth of
  // its size: it opens fitted in the panel and on the full screen, in little memory.
  void aHugePosterOpensFittedInLittleMemory() {
    const QString folder = dir.filePath("poster");
    QVERIFY(QDir().mkpath(folder));
    const QString poster = folder + "/a-poster.jpg";
    const QColor blue(40, 120, 200);
    QVERIFY(writeOneColourJpeg(poster, 22500, 33300, blue));
    makeRasterPhoto(folder, "b-small.jpg", 30, 20);
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    clickButton(w.optFoto);
    searchFrom(w, folder);
    QCOMPARE(w.List2->listCount(), 2);

    const bool peakFromHere = resetPeakResident();
    clickLine(w.List1, 1);
    QCOMPARE(w.Label3->text(), poster);
    QCOMPARE(w.Image1->naturalSize(), QSizeF(337500, 499500));
    Geometry g = geometryOf(w.Image1);  // the height decides: 499,500 / 4335
    QCOMPARE(g.width, 2929.054f);
    QCOMPARE(g.height, 4335.0f);
    QCOMPARE(g.left, 2142.973f);
    QCOMPARE(g.top, 225.0f);
    QCOMPARE(w.Image1->picture().height(), 289);  // the panel's 4335 twips in pixels
    QVERIFY(nearColour(w.Image1->picture().pixelColor(20, 20), blue));

    clickButton(w.cmdTelaGrande);
    QVERIFY(w.frmImg2->isVisible());
    g = geometryOf(w.Image2);  // 9280 x 6450: the height decides again
    QCOMPARE(g.width, 4358.1396f);
    QCOMPARE(g.height, 6450.0f);
    QCOMPARE(g.left, 2510.9302f);
    QCOMPARE(g.top, 100.0f);
    QCOMPARE(w.Image2->picture().height(), 430);
    QVERIFY(nearColour(w.Image2->picture().pixelColor(20, 20), blue));
    QVERIFY(t.messages->shown.isEmpty());

    const double peak = peakResidentMb();
    if (peak >= 0) {
      QVERIFY2(peak < 300, qPrintable(QString("peak resident %1 MB (%2)")
                                          .arg(peak)
                                          .arg(peakFromHere ? "from the click" : "whole run")));
    }
  }

  // A PNG decodes every pixel before it could be scaled: one of 20,000 x 20,000 would need
  // 1.5 GB, so it is refused with the reason, logged once, and the picture is emptied.
  void aPictureTooLargeToDecodeIsRefusedWithItsReason() {
    const QString folder = dir.filePath("toolarge");
    QVERIFY(QDir().mkpath(folder));
    makeRasterPhoto(folder, "a.jpg", 954, 578);  // 14310 x 8670 twips
    const QString huge = folder + "/b.png";
    QVERIFY(writeOneColourPng(huge, 20000, 20000, Qt::green));
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    clickButton(w.optFoto);
    w.Text1->setText("*.jpg;*.png");
    searchFrom(w, folder);
    QCOMPARE(w.List2->listCount(), 2);
    clickLine(w.List1, 1);
    QVERIFY(!w.Image1->picture().isNull());

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("b\\.png: picture too large to open \\(20000 x 20000 "
                                            "pixels\\): a PNG picture cannot be decoded at a "
                                            "smaller scale and would need 1527 MB, more than "
                                            "the 1024 MB a picture may use"));
    QTest::failOnWarning(QRegularExpression("b\\.png"));
    clickLine(w.List1, 3);
    QCOMPARE(w.Label3->text(), huge);  // the panel names what was asked for
    QVERIFY(w.Image1->picture().isNull());
    QCOMPARE(tw::width(w.Image1), 0.0f);
    QCOMPARE(w.List1->listIndex(), 3);
    QVERIFY(t.messages->shown.isEmpty());
  }
};

QTEST_MAIN(PhotoTest)
#include "tst_photo.moc"
