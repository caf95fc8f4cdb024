// The window as it starts, lays itself out and ends.
#include <QProcess>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "controls/disabledtext.h"
#include "controls/twips.h"
#include "support/child.h"
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

// The strongest contrast between `back` and the pixels a person sees where the control
// draws its text: inside a label's frame, beside an option button's indicator, inside a
// button's bevel.
double textContrast(FileFind& w, QWidget* c, QColor back) {
  QRect text = c->contentsRect();
  QStyleOptionButton option;
  option.initFrom(c);
  if (auto* radio = qobject_cast<QRadioButton*>(c)) {
    option.text = radio->text();
    text = c->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, c);
  } else if (auto* push = qobject_cast<QPushButton*>(c)) {
    option.text = push->text();
    text = c->style()->subElementRect(QStyle::SE_PushButtonContents, &option, c);
  }
  const QImage seen = w.grab(QRect(c->mapTo(&w, text.topLeft()), text.size())).toImage();
  double best = 1;
  for (int y = 0; y < seen.height(); ++y) {
    for (int x = 0; x < seen.width(); ++x)
      best = std::max(best, contrastRatio(seen.pixelColor(x, y), back));
  }
  return best;
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

  // The window as a person first sees it: each control's place in pixels within the
  // window, its caption, and whether it is shown and can be used.
  void shownDesign_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("shown");
    auto row = [](const char* name, QRect place, const QString& caption, bool shown = true) {
      QTest::newRow(name) << QString::fromLatin1(name) << place << caption << shown;
    };
    row("frmOpt", {40, 88, 209, 113}, "");
    row("optFilme", {48, 104, 73, 17}, "&Filme");
    row("optFoto", {48, 128, 73, 17}, "&Foto");
    row("optMusica", {48, 152, 73, 17}, "&Musica");
    row("optSom", {48, 176, 73, 17}, "&Som");
    row("Text1", {144, 104, 97, 41}, "");
    row("Drive1", {40, 226, 209, 21}, "");
    row("Dir1", {40, 272, 209, 126}, "");
    row("cmdAtualizar", {80, 408, 121, 21}, "&Atualizar");
    row("List1", {264, 96, 217, 303}, "");
    row("lblConta", {264, 408, 219, 21}, "0,00 MB em 0 Arquivos");
    row("cmdIniciar", {522, 96, 95, 27}, "&Iniciar Busca");
    row("cmdParar", {520, 132, 95, 27}, "&Parar Busca");
    row("cmdMostraArq", {520, 170, 95, 27}, "&Mostrar ");
    row("cmdBusca", {520, 206, 95, 27}, "&Busca");
    row("cmdSaida", {520, 240, 95, 27}, "&Saida");
    row("lblInfotec", {506, 296, 125, 61},
        "    TORVELI SOFT         Assistência Técnica e Desenvolvimento de Sistemas.");
    row("Frame1", {504, 360, 129, 69}, "");
    row("lblMail", {520, 408, 97, 17}, "vistara.example");
    row("lblLigue", {512, 376, 112, 33}, "Ligue: (11) 5555-0199");
    // The viewing panels wait hidden, the photo panel where start-up put it.
    row("frmFoto", {8, 64, 481, 369}, "", false);
    row("frmFilme", {8, 64, 481, 369}, "", false);
    row("frmImg2", {0, 0, 640, 480}, "", false);
    row("cmdContFoto", {226, 408, 53, 17}, "&Parar", false);
    row("cmdPararFilme", {202, 401, 57, 17}, "&Pausa", false);
    row("cmdImage2Tela", {540, 8, 49, 13}, "->  <-", false);
    for (const char* helper : {"Dir2", "File1", "List2"}) row(helper, {}, "", false);
  }

  void shownDesign() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    QFETCH(bool, shown);
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* c = control(w, qPrintable(name));
    QVERIFY(c);
    if (place.isValid()) QCOMPARE(QRect(c->mapTo(&w, QPoint(0, 0)), c->size()), place);
    if (auto* b = qobject_cast<QAbstractButton*>(c)) QCOMPARE(b->text(), caption);
    if (auto* l = qobject_cast<QLabel*>(c)) QCOMPARE(l->text(), caption);
    QCOMPARE(c->isVisible(), shown);
    QVERIFY(c->isEnabled());
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
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.setOuterWidth(outerW);  // as a person drags the window's edges
    w.setOuterHeight(outerH);
    QTRY_COMPARE(tw::width(w.frmImg2), outerW);
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

  // Disabled text stays legible on the control's stored background (3 : 1, as desktop
  // themes draw it): the option buttons and buttons a search disables, seen while it runs;
  // the labels, which no control disables, disabled here.
  void disabledTextStaysLegible() {
    QTemporaryDir dir;
    for (const char* sub : {"a", "b", "c"}) QDir(dir.path()).mkpath(sub);
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.Dir1->setPath(dir.path()));
    QMap<QString, double> seen;
    auto look = [&](QWidget* c, QColor back) {
      QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
      seen[c->objectName()] = textContrast(w, c, back);
    };
    const QColor grey(192, 192, 192);
    QTimer::singleShot(0, &w, [&] {  // runs while the search lets events run
      for (QWidget* c :
           std::initializer_list<QWidget*>{w.optFilme, w.optFoto, w.optMusica, w.optSom,
                                           w.cmdIniciar, w.cmdBusca, w.cmdMostraArq})
        look(c, grey);
    });
    QTest::mouseClick(w.cmdIniciar, Qt::LeftButton);
    QCOMPARE(seen.size(), 7);
    for (QLabel* label :
         {w.lblTipo, w.lblDiretorio, w.lblInfotec, static_cast<QLabel*>(w.lblConta)}) {
      label->setEnabled(false);
      look(label, grey);
    }
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
      QVERIFY2(it.value() >= 3.0, qPrintable(QString("%1: %2 : 1").arg(it.key()).arg(it.value())));
  }

  void exitEndsTheProcessAtOnce_data() {
    QTest::addColumn<QString>("mode");
    QTest::newRow("click") << "click";
    QTest::newRow("inside a nested event loop") << "nested";
    QTest::newRow("close box") << "close";
  }

  void exitEndsTheProcessAtOnce() {
    QFETCH(QString, mode);
    const ChildRun child = runSelf({"--exit-child", mode}, 30000);
    QVERIFY(child.finished);
    QVERIFY(!child.crashed);
    QCOMPARE(child.exitCode, 0);
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
