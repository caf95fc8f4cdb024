// The window as it starts, lays itself out and ends.
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "controls/twips.h"
#include "support/fakes.h"
#include "support/pictures.h"
#include "support/results.h"
#include "support/scriptedplayer.h"

namespace {

QWidget* control(FileFind& w, const char* name) {
  return w.findChild<QWidget*>(QString::fromLatin1(name));
}

// The child process mode: show the window and click "&Saida", optionally from inside
// a nested event loop, as a running search would have.
int runExitChild(const QString& mode, int argc, char** argv) {
  QApplication app(argc, argv);
  TestWindow t = makeTestWindow();
  t.window->showCentred();
  QTimer::singleShot(0, [&] {
    if (mode == "nested") {
      QEventLoop inner;
      QTimer::singleShot(0, [&] { QTest::mouseClick(t.window->cmdSaida, Qt::LeftButton); });
      inner.exec();
    } else if (mode == "close") {
      t.window->close();
    } else {
      QTest::mouseClick(t.window->cmdSaida, Qt::LeftButton);
    }
  });
  app.exec();
  return 3;  // never reached when the exit is immediate
}

// The columns of a label's picture, inside its frame, that hold any of its text's ink.
std::pair<int, int> inkColumns(QLabel* label) {
  const QImage shot = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QColor back = label->palette().color(QPalette::Window);
  const int frame = label->frameWidth();
  int first = -1, last = -1;
  for (int x = frame; x < shot.width() - frame; ++x) {
    for (int y = frame; y < shot.height() - frame; ++y) {
      const QColor c = shot.pixelColor(x, y);
      if (qAbs(c.red() - back.red()) + qAbs(c.green() - back.green()) +
              qAbs(c.blue() - back.blue()) >
          90) {
        if (first < 0) first = x;
        last = x;
        break;
      }
    }
  }
  return {first, last};
}

}  // namespace

class AppTest : public QObject {
  Q_OBJECT

 private slots:
  void startsInSearchMode() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QCOMPARE(w.caption(), QStringLiteral("Vistara"));
    QCOMPARE(w.outerWidth(), 9600.0f);
    QCOMPARE(w.outerHeight(), 7200.0f);
    QVERIFY(w.optFilme->isChecked());
    QCOMPARE(w.Text1->text(), QStringLiteral("*.avi;*.mpg;*.mov"));
    QCOMPARE(w.lblConta->text(), QStringLiteral("0,00 MB em 0 Arquivos"));
    QCOMPARE(w.Dir1->path(), QDir::cleanPath(w.Drive1->drive()));
    QCOMPARE(w.List1->listCount(), 0);
    QCOMPARE(w.List2->listCount(), 0);
    for (const char* hidden : {"frmImg2", "frmFoto", "frmFilme", "Dir2", "File1", "List2"})
      QVERIFY2(!control(w, hidden)->isVisible(), hidden);
    for (const char* shown : {"frmTitulo", "frmOpt", "Drive1", "Dir1", "List1", "lblConta",
                              "cmdIniciar", "cmdSaida", "Frame1", "lblInfotec"})
      QVERIFY2(control(w, shown)->isVisible(), shown);
    QVERIFY(!w.Timer1->enabled());
    QVERIFY(!w.Timer2->enabled());
    QCOMPARE(w.Timer1->interval(), 2000);
    QCOMPARE(w.Timer2->interval(), 1000);

    // Places fixed by start-up.
    QCOMPARE(tw::left(w.List1), 3966.0f);
    QCOMPARE(tw::top(w.List1), 1440.0f);
    QCOMPARE(tw::width(w.List1), 3255.0f);
    QCOMPARE(tw::height(w.List1), 4545.0f);
    QCOMPARE(tw::left(w.frmFoto), 120.0f);
    QCOMPARE(tw::top(w.frmFilme), 960.0f);
    QCOMPARE(w.AMovie1->left(), 120.0f);
    QCOMPARE(w.AMovie1->top(), 180.0f);
    QVERIFY(w.photoInPanel);
    QVERIFY(!w.upKeyPressed);
    QCOMPARE(w.maxPhotoHeight, 6450.0f);
    QCOMPARE(w.maxPhotoWidth, 9280.0f);
    // The first display's resize recentred the full-screen picture.
    QCOMPARE(tw::left(w.Image2), 9280.0f / 2 - 9600.0f / 2 + 80);
    QCOMPARE(tw::width(w.frmTitulo), w.innerWidth());
  }

  void storedDesignHasEveryControl() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    QCOMPARE(w.cmdMostraArq->text(), QStringLiteral("&Mostrar "));
    QCOMPARE(w.lblInfotec->text(),
             QStringLiteral(
                 "    TORVELI SOFT         Assistência Técnica e Desenvolvimento de Sistemas."));
    QCOMPARE(w.cmdImage2Tela->text(), QStringLiteral("->  <-"));
    QCOMPARE(w.lblTempoFoto->text(), QStringLiteral("T= 1 Seg"));
    QCOMPARE(w.SlFoto->minimum(), 1);
    QCOMPARE(w.SlFoto->maximum(), 200);
    QCOMPARE(w.SlFoto->value(), 100);
    QCOMPARE(w.Sl1->maximum(), 10);
    QCOMPARE(w.Image1->parentWidget(), w.frmFoto);
    QCOMPARE(w.cmdPararFilme->parentWidget(), w.frmControl);
    QCOMPARE(w.frmControl->parentWidget(), w.frmFilme);
    QCOMPARE(w.AMovie1->objectName(), QStringLiteral("AMovie1"));
    // 57 controls: 53 widgets, the two timers, the player, the window's own list of them.
    int named = 0;
    for (QObject* o : w.findChildren<QObject*>()) {
      if (!o->objectName().isEmpty() && o->objectName()[0].isLetter() &&
          !o->objectName().startsWith("qt_"))
        ++named;
    }
    QVERIFY2(named >= 56, qPrintable(QString::number(named)));
  }

  void twipsReadBackExactly() {
    TestWindow t = makeTestWindow();
    tw::setTop(t.window->Image2, 2662.5f);
    QCOMPARE(tw::top(t.window->Image2), 2662.5f);
    tw::setLeft(t.window->Image2, -3120.25f);
    QCOMPARE(tw::left(t.window->Image2), -3120.25f);
    QCOMPARE(t.window->Image2->x(), -208);
  }

  void earlierControlsLieInFront() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto topAt = [&](QWidget* inside, float x, float y) {
      return w.childAt(inside->mapTo(&w, QPoint(tw::toPixels(x), tw::toPixels(y))));
    };
    auto isIn = [](QWidget* child, QWidget* container) {
      for (QWidget* p = child; p; p = p->parentWidget())
        if (p == container) return true;
      return false;
    };
    w.frmFoto->show();
    // The panel covers the left column, the statistics and List1's search place ...
    for (QWidget* covered :
         std::initializer_list<QWidget*>{w.lblTipo, w.frmOpt, w.Label1, w.Drive1, w.lblDiretorio,
                                         w.Dir1, w.cmdAtualizar, w.lblConta, w.List1}) {
      const QPoint centre = covered->geometry().center();
      QVERIFY2(isIn(w.childAt(centre), w.frmFoto), qPrintable(covered->objectName()));
    }
    // ... but not the right-hand column.
    QVERIFY(!isIn(w.childAt(w.cmdSaida->geometry().center()), w.frmFoto));
    w.frmFoto->hide();
    w.frmFilme->show();
    QVERIFY(isIn(w.childAt(w.Dir1->geometry().center()), w.frmFilme));
    w.frmFoto->show();
    QVERIFY(isIn(w.childAt(w.Dir1->geometry().center()), w.frmFoto));  // in front of frmFilme
    w.frmImg2->show();
    for (QWidget* covered : std::initializer_list<QWidget*>{w.cmdSaida, w.cmdIniciar, w.Frame1,
                                                            w.frmTitulo, w.frmFoto})
      QVERIFY2(isIn(w.childAt(covered->geometry().center()), w.frmImg2),
               qPrintable(covered->objectName()));
    Q_UNUSED(topAt);
  }

  void resizeFollowsTheWindow_data() {
    QTest::addColumn<float>("outerW");
    QTest::addColumn<float>("outerH");
    QTest::addColumn<float>("maxW");
    QTest::addColumn<float>("maxH");
    QTest::addColumn<float>("imageLeft");
    QTest::addColumn<float>("imageTop");
    QTest::addColumn<float>("buttonsLeft");
    QTest::newRow("start size") << 9600.f << 7200.f << 9280.f << 6450.f << 80.f << 1762.5f
                                << 8100.f;
    QTest::newRow("grown") << 12000.f << 9000.f << 11680.f << 8250.f << 1280.f << 2662.5f
                           << 10500.f;
    QTest::newRow("narrow") << 1200.f << 3000.f << 880.f << 2250.f << -4120.f << -337.5f << -300.f;
  }

  void resizeFollowsTheWindow() {
    QFETCH(float, outerW);
    QFETCH(float, outerH);
    QFETCH(float, maxW);
    QFETCH(float, maxH);
    QFETCH(float, imageLeft);
    QFETCH(float, imageTop);
    QFETCH(float, buttonsLeft);
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    // A full-screen photo fitted to 9280 x 3225 keeps its size and is only recentred.
    tw::setWidth(w.Image2, 9280);
    tw::setHeight(w.Image2, 3225);
    w.setOuterWidth(outerW);
    w.setOuterHeight(outerH);
    w.Form_Resize();
    QCOMPARE(tw::width(w.frmImg2), outerW);
    QCOMPARE(tw::height(w.frmImg2), outerH);
    QCOMPARE(w.maxPhotoWidth, maxW);
    QCOMPARE(w.maxPhotoHeight, maxH);
    QCOMPARE(tw::width(w.Image2), 9280.0f);
    QCOMPARE(tw::height(w.Image2), 3225.0f);
    QCOMPARE(tw::left(w.Image2), imageLeft);
    QCOMPARE(tw::top(w.Image2), imageTop);
    QCOMPARE(tw::left(w.cmdImage2Tela), buttonsLeft);
    QCOMPARE(tw::left(w.cmdAntFoto2), buttonsLeft);
    QCOMPARE(tw::left(w.cmdProFoto2), buttonsLeft + 480);
    QCOMPARE(tw::width(w.frmTitulo), w.innerWidth());
    // Nothing else follows the size.
    QCOMPARE(tw::left(w.cmdSaida), 7800.0f);
    QCOMPARE(tw::left(w.frmFoto), 120.0f);
  }

  // Figures are drawn whole inside their labels, which keep their stored place, size and
  // font: ink stays clear of both edges.
  void figuresFitTheirLabels_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::newRow("statistics of a big search")
        << "lblConta" << QStringLiteral("524687.45 MB em  205925 Arquivos");
    QTest::newRow("statistics at start") << "lblConta" << QStringLiteral("0,00 MB em 0 Arquivos");
    QTest::newRow("the quickest pace") << "lblTempoFoto" << QStringLiteral("T=  .01 Seg.");
    QTest::newRow("the slowest pace") << "lblTempoFoto" << QStringLiteral("T=  2 Seg.");
  }

  void figuresFitTheirLabels() {
    QFETCH(QString, label);
    QFETCH(QString, text);
    QTemporaryDir dir;
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.optFoto->click();
    listAsFound(w, {makeRasterPhoto(dir.path(), "a.jpg", 30, 20),
                    makeRasterPhoto(dir.path(), "b.jpg", 30, 20)});
    QTRY_COMPARE(w.List1->model()->rowCount(), 4);
    QTest::mouseClick(w.List1->viewport(), Qt::LeftButton, {},
                      w.List1->visualRect(w.List1->model()->index(1, 0)).center());
    QVERIFY(w.frmFoto->isVisible());

    QLabel* shown = qobject_cast<QLabel*>(control(w, qPrintable(label)));
    QVERIFY(shown);
    const float width = tw::width(shown), height = tw::height(shown);
    if (label == "lblTempoFoto") {  // the pace follows the slider, moved by its keys
      w.SlFoto->setFocus();
      QTest::keyClick(w.SlFoto, text.contains(".01") ? Qt::Key_Home : Qt::Key_End);
    } else {
      w.lblConta->setText(text);
    }
    QTRY_COMPARE(shown->QLabel::text(), text);  // on screen, not only in the program

    const auto [first, last] = inkColumns(shown);
    const int frame = shown->frameWidth();
    QVERIFY2(
        first > frame && last < shown->width() - frame - 1,
        qPrintable(
            QString("ink from column %1 to %2 of %3").arg(first).arg(last).arg(shown->width())));
    QCOMPARE(tw::width(shown), width);
    QCOMPARE(tw::height(shown), height);
    QCOMPARE(shown->font().pointSizeF(), 8.25);
  }

  void exitEndsTheProcessAtOnce_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("click") << "click";
    QTest::newRow("inside a nested event loop") << "nested";
    QTest::newRow("close box") << "close";
  }

  void exitEndsTheProcessAtOnce() {
    QFETCH(QString, mode);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {"--exit-child", mode});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
  }
};

int main(int argc, char** argv) {
  if (argc >= 3 && QByteArray(argv[1]) == "--exit-child")
    return runExitChild(QString::fromLatin1(argv[2]), argc, argv);
  QApplication app(argc, argv);
  AppTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_app.moc"
