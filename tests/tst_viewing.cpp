// Opening found files, showing them all, moving through them and going back to search.
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>

#include "controls/twips.h"
#include "support/fakes.h"
#include "support/input.h"
#include "support/pictures.h"
#include "support/results.h"
#include "support/scriptedplayer.h"

namespace {

QStringList someFiles(const QString& folder, int n, const QString& ext) {
  QStringList paths;
  for (int i = 0; i < n; ++i) paths << QDir(folder).filePath(QString("f%1.%2").arg(i).arg(ext));
  return paths;
}

// A shown, active window whose result holds `found` as a search would have listed it.
TestWindow activeWindowWithResult(const QStringList& found) {
  TestWindow t = makeTestWindow();
  t.window->showCentred();
  if (!QTest::qWaitForWindowActive(t.window.get())) qWarning("the window is not active");
  listAsFound(*t.window, found);
  return t;
}

// Files of the given kind in a folder of their own, named so they sort as given.
QStringList filesOnDisk(const QString& folder, int n, const QString& kind) {
  QDir().mkpath(folder);
  QStringList paths;
  for (int i = 0; i < n; ++i) {
    const QString name =
        QString("f%1.%2").arg(i, 2, 10, QChar('0')).arg(kind == "photo" ? "jpg" : "avi");
    if (kind == "photo") {
      paths << makeRasterPhoto(folder, name, 30 + i, 20);
    } else {
      QFile film(QDir(folder).filePath(name));
      film.open(QIODevice::WriteOnly);
      film.write("RIFF");
      paths << film.fileName();
    }
  }
  return paths;
}

// A shown window that has searched `folder` for `kind` as a person does, its list caught up.
TestWindow windowAfterSearch(const QString& folder, const QString& kind) {
  TestWindow t = makeTestWindow();
  t.window->showCentred();
  if (!QTest::qWaitForWindowActive(t.window.get())) qWarning("the window is not active");
  QTest::mouseClick(kind == "photo" ? t.window->optFoto : t.window->optFilme, Qt::LeftButton);
  searchFrom(*t.window, folder);
  return t;
}

// True once the view shows every line and stands on the program's selection.
bool listCaughtUp(const FileFind& w) {
  return w.List1->model()->rowCount() == w.List1->listCount() &&
         w.List1->currentIndex().row() == w.List1->listIndex();
}

// The colour the list draws at the right end of line `row`, past its text.
QColor colourAtLineEnd(ListBox* list, int row) {
  const QImage shot = list->viewport()->grab().toImage();
  const int y = list->visualRect(list->model()->index(row, 0)).center().y();
  return shot.pixelColor(QPoint(list->viewport()->width() - 3, y) * shot.devicePixelRatio());
}

QPoint lineCentre(const FileFind& w, int line) {
  return w.List1->visualRect(w.List1->model()->index(line, 0)).center();
}

}  // namespace

class ViewingTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir;

 private slots:
  void folderLinesSkipInTheLastKeysDirection() {
    const QStringList films = someFiles(dir.path(), 3, "avi");
    TestWindow t = activeWindowWithResult(films);
    FileFind& w = *t.window;
    clickLine(w.List1, 2);  // the folder line of file 1
    QCOMPARE(w.List1->listIndex(), 3);
    const QColor highlight = w.List1->palette().color(QPalette::Active, QPalette::Highlight);
    QCOMPARE(colourAtLineEnd(w.List1, 3), highlight);  // the line the list holds is drawn selected
    QVERIFY(colourAtLineEnd(w.List1, 2) != highlight);
    QCOMPARE(w.List2->listIndex(), 1);
    // The re-entrant opening and the outer run both hand the same file on.
    QCOMPARE(t.player->opened, QStringList({films[1], films[1]}));
    QCOMPARE(w.Label2->text(), films[1]);
    QVERIFY(w.frmFilme->isVisible());

    pressKeyIn(w.List1, Qt::Key_Up);  // onto the folder line above: it skips upwards
    QCOMPARE(w.List1->listIndex(), 1);
    QCOMPARE(t.player->fileName(), films[0]);
    clickLine(w.List1, 4);  // the last key was Up: a clicked folder line skips upwards too
    QCOMPARE(w.List1->listIndex(), 3);
    QCOMPARE(t.player->fileName(), films[1]);
    pressKeyIn(w.List1, Qt::Key_Down);
    QCOMPARE(w.List1->listIndex(), 5);
    QCOMPARE(t.player->fileName(), films[2]);
    pressKeyIn(w.List1, Qt::Key_Home);  // the first line is a folder line: down to file 0
    QCOMPARE(w.List1->listIndex(), 1);
    QCOMPARE(t.player->fileName(), films[0]);
    pressKeyIn(w.List1, Qt::Key_End);
    QCOMPARE(w.List1->listIndex(), 5);
    QCOMPARE(t.player->fileName(), films[2]);
    pressKeyIn(w.List1, Qt::Key_Home);
    pressKeyIn(w.List1, Qt::Key_PageDown);  // the whole list is in view: the last line
    QCOMPARE(w.List1->listIndex(), 5);

    // Up from the first file line: no selection, the player is left without a file.
    pressKeyIn(w.List1, Qt::Key_Home);
    pressKeyIn(w.List1, Qt::Key_Up);
    QCOMPARE(w.List1->listIndex(), -1);
    QCOMPARE(w.List2->listIndex(), -1);
    QCOMPARE(t.player->fileName(), QString());
  }

  void theUpArrowStepsFromFileToFile() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const QStringList films = someFiles(dir.path(), 3, "mpg");
    listAsFound(w, films);  // the selection rests on the last line, file 2
    w.List1->setFocus();
    QTest::keyClick(w.List1, Qt::Key_Up);
    QCOMPARE(w.List1->listIndex(), 3);
    QCOMPARE(t.player->fileName(), films[1]);
    QTest::keyClick(w.List1, Qt::Key_Down);
    QCOMPARE(w.List1->listIndex(), 5);
    QCOMPARE(t.player->fileName(), films[2]);
  }

  void firstOpeningMovesTheListAndSetsCaptions() {
    TestWindow t = activeWindowWithResult(someFiles(dir.path(), 2, "avi"));
    FileFind& w = *t.window;
    w.cmdPararFilme->setText("&Continuar");
    w.cmdContFoto->setText("&Parar");
    clickLine(w.List1, 1);
    QCOMPARE(w.cmdPararFilme->text(), QStringLiteral("&Pausa"));
    QCOMPARE(w.cmdContFoto->text(), QStringLiteral("&Parar"));
    QCOMPARE(tw::top(w.List1), 4230.0f);
    QCOMPARE(tw::left(w.List1), 7560.0f);
    for (QWidget* c : {(QWidget*)w.cmdIniciar, (QWidget*)w.Drive1, (QWidget*)w.Dir1,
                       (QWidget*)w.cmdParar, (QWidget*)w.cmdSaida})
      QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
    QVERIFY(w.cmdMostraArq->isEnabled());  // only photos disable it
    // Later openings keep whatever caption the button has.
    w.cmdPararFilme->setText("&Continuar");
    clickLine(w.List1, 3);
    QCOMPARE(w.cmdPararFilme->text(), QStringLiteral("&Continuar"));
  }

  void photoOpeningsShowThePanelOrTheFullScreen() {
    QStringList photos;
    for (int i = 0; i < 4; ++i)
      photos << makeRasterPhoto(dir.path(), QString("p%1.png").arg(i), 30 + i, 20);
    TestWindow t = activeWindowWithResult(photos);
    FileFind& w = *t.window;
    clickButton(w.optFoto);
    clickLine(w.List1, 1);
    w.frmFilme->show();  // left from a film viewed before
    clickLine(w.List1, 3);
    QCOMPARE(w.cmdContFoto->text(), QStringLiteral("&Continuar"));
    QVERIFY(!w.frmFilme->isVisibleTo(&w));
    QVERIFY(w.frmFoto->isVisibleTo(&w));
    QVERIFY(!w.cmdMostraArq->isEnabled());
    QCOMPARE(w.Label3->text(), photos[1]);
    QVERIFY(t.player->opened.isEmpty());

    // Full screen: folder lines map to a neighbouring file, halves to even.
    clickButton(w.cmdTelaGrande);
    w.List1->setListIndex(6);
    QCOMPARE(w.List1->listIndex(), 6);
    QCOMPARE(w.List2->listIndex(), 2);
    QCOMPARE(w.caption(), photos[2]);
    w.List1->setListIndex(4);
    QCOMPARE(w.List2->listIndex(), 2);
    w.List1->setListIndex(2);
    QCOMPARE(w.List2->listIndex(), 0);
    QCOMPARE(w.Label3->text(), photos[1]);  // the panel is not touched full screen
  }

  void nothingOpensWhileDisabledOrPendingReset() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    listAsFound(w, someFiles(dir.path(), 2, "wav"));
    w.viewStopped = true;
    w.List1->setEnabled(false);
    w.List1->setListIndex(1);
    w.List1->setEnabled(true);
    w.listResetPending = true;
    w.List1->setListIndex(3);
    QVERIFY(w.viewStopped);
    QVERIFY(t.player->opened.isEmpty());
    QCOMPARE(tw::top(w.List1), 1440.0f);
  }

  void emptyResultsSayThereIsNothing() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    w.List1->addItem("--> /somewhere");  // a line without a found file behind it
    w.List1->setListIndex(0);
    QCOMPARE(t.messages->shown, QStringList({"Não existem arquivos selecionados."}));
    QCOMPARE(tw::top(w.List1), 1440.0f);

    t.messages->shown.clear();
    clickButton(w.cmdMostraArq);
    QCOMPARE(t.messages->shown, QStringList({"Não existem arquivos selecionados."}));
    QVERIFY(w.cmdMostraArq->isEnabled());
    QVERIFY(w.cmdIniciar->isEnabled());
    QCOMPARE(tw::top(w.List1), 1440.0f);
  }

  void showAllPlaysTheFirstFilm() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    const QStringList films = someFiles(dir.path(), 3, "avi");
    listAsFound(w, films);
    w.frmFoto->show();
    w.Timer1->setEnabled(true);
    w.cmdPararFilme->setText("&Continuar");
    clickButton(w.cmdMostraArq);
    QVERIFY(w.frmFilme->isVisibleTo(&w));
    QVERIFY(!w.frmFoto->isVisibleTo(&w));
    QVERIFY(w.Timer1->enabled());  // it waits for the opening, and passes over a broken file
    QCOMPARE(w.List1->listIndex(), 1);
    QCOMPARE(t.player->fileName(), films[0]);
    QCOMPARE(w.cmdPararFilme->text(), QStringLiteral("&Continuar"));
    QVERIFY(!w.cmdMostraArq->isEnabled());
  }

  void showAllOpensASingleFoundFile() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    const QStringList one = someFiles(dir.path(), 1, "wav");
    listAsFound(w, one);
    QCOMPARE(w.List1->listIndex(), 1);
    clickButton(w.cmdMostraArq);
    QCOMPARE(t.player->opened, QStringList({one[0]}));
  }

  void showAllPhotosStartsOrResumes() {
    QStringList photos;
    for (int i = 0; i < 4; ++i)
      photos << makeRasterPhoto(dir.path(), QString("s%1.png").arg(i), 40, 30 + i);
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    clickButton(w.optFoto);
    listAsFound(w, photos);
    clickButton(w.cmdMostraArq);  // right after a search: from the first, running
    QCOMPARE(w.Label3->text(), photos[0]);
    QCOMPARE(w.cmdContFoto->text(), QStringLiteral("&Parar"));
    QVERIFY(w.Timer2->enabled());

    clickButton(w.cmdProfoto);
    clickButton(w.cmdProfoto);  // the third photo
    clickButton(w.cmdBusca);
    QVERIFY(!w.frmFoto->isVisibleTo(&w));
    QVERIFY(!w.Timer2->enabled());
    clickButton(w.cmdMostraArq);  // resumes on the third photo, paused
    QCOMPARE(w.Label3->text(), photos[2]);
    QCOMPARE(w.cmdContFoto->text(), QStringLiteral("&Continuar"));
    QVERIFY(!w.Timer2->enabled());

    // From full screen the buttons underneath are reached by their access keys; the
    // photo stays full screen, and Image2 rather than the panel shows it.
    clickButton(w.cmdTelaGrande);
    w.Label3->setText("panel");
    pressAccessKey(w.cmdBusca);
    QVERIFY(!w.frmFoto->isVisibleTo(&w));
    pressAccessKey(w.cmdMostraArq);
    QCOMPARE(w.Label3->text(), QStringLiteral("panel"));
    QVERIFY(!w.Image2->picture().isNull());
    QVERIFY(w.frmFoto->isVisibleTo(&w));

    // The last photo viewed: the slideshow starts again from the first.
    clickButton(w.cmdImage2Tela);
    clickButton(w.cmdProfoto);
    clickButton(w.cmdBusca);
    clickButton(w.cmdMostraArq);
    QCOMPARE(w.Label3->text(), photos[0]);
    QCOMPARE(w.cmdContFoto->text(), QStringLiteral("&Parar"));
  }

  void showAllFollowsTheKindChosenNow() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    clickButton(w.optFoto);
    const QString photo = makeRasterPhoto(dir.path(), "k.png", 10, 10);
    listAsFound(w, {photo});
    clickButton(w.optFilme);
    clickButton(w.cmdMostraArq);
    QCOMPARE(t.player->fileName(), photo);
  }

  void previousAndNextButtons() {
    TestWindow t = activeWindowWithResult(someFiles(dir.path(), 3, "avi"));
    FileFind& w = *t.window;
    clickLine(w.List1, 1);
    t.player->finishOpening(5);
    QVERIFY(w.Timer1->enabled());
    clickButton(w.cmdAnterior);  // first file: nothing, the timer stays
    QCOMPARE(w.List1->listIndex(), 1);
    QVERIFY(w.Timer1->enabled());
    clickButton(w.cmdProximo);
    QCOMPARE(w.List1->listIndex(), 3);
    QVERIFY(w.Timer1->enabled());  // tracks the opening, to move on if it fails
    clickButton(w.cmdProximo);
    QCOMPARE(w.List1->listIndex(), 5);
    clickButton(w.cmdProximo);  // last file: nothing
    QCOMPARE(w.List1->listIndex(), 5);
    clickButton(w.cmdAnterior);
    QCOMPARE(w.List1->listIndex(), 3);
    clickButton(w.cmdAnterior);
    QCOMPARE(w.List1->listIndex(), 1);

    // Up from the first file line leaves no selection: next starts at the first file.
    pressKeyIn(w.List1, Qt::Key_Up);
    QCOMPARE(w.List1->listIndex(), -1);
    clickButton(w.cmdAnterior);
    QCOMPARE(w.List1->listIndex(), -1);
    clickButton(w.cmdProximo);
    QCOMPARE(w.List1->listIndex(), 1);
  }

  void returnToSearchWithAPlayerKind() {
    const QStringList films = someFiles(dir.path(), 3, "avi");
    TestWindow t = activeWindowWithResult(films);
    FileFind& w = *t.window;
    QVERIFY(w.isActiveWindow());
    clickButton(w.cmdMostraArq);
    t.player->finishOpening(5);
    QVERIFY(w.Timer1->enabled());
    clickButton(w.cmdBusca);
    QCOMPARE(tw::top(w.List1), 1440.0f);
    QCOMPARE(tw::width(w.List1), 3255.0f);
    for (QWidget* c : {(QWidget*)w.cmdIniciar, (QWidget*)w.Drive1, (QWidget*)w.Dir1,
                       (QWidget*)w.cmdParar, (QWidget*)w.cmdMostraArq, (QWidget*)w.cmdSaida})
      QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));
    QVERIFY(w.viewStopped);
    QVERIFY(!w.Timer1->enabled());
    QVERIFY(!w.frmFilme->isVisible());
    QCOMPARE(t.player->fileName(), QString());
    QCOMPARE(w.List1->listIndex(), -1);
    QVERIFY(w.List1->hasFocus());
    QVERIFY(!w.listResetPending);  // the focus cleared it at once
    QCOMPARE(w.List2->listCount(), 3);

    // The next click opens that line's file, as a first opening.
    w.cmdPararFilme->setText("&Continuar");
    clickLine(w.List1, 3);
    QCOMPARE(t.player->fileName(), films[1]);
    QCOMPARE(w.cmdPararFilme->text(), QStringLiteral("&Pausa"));
  }

  // The access key clicks without moving the focus; the list keeps it and must still be
  // ready for the next click. Getting the focus back later opens nothing by itself.
  void returnToSearchByItsAccessKeyFromTheList() {
    const QStringList films = someFiles(dir.path(), 3, "avi");
    TestWindow t = activeWindowWithResult(films);
    FileFind& w = *t.window;
    QVERIFY(w.isActiveWindow());
    w.List1->setFocus();
    clickLine(w.List1, 1);
    QCOMPARE(t.player->fileName(), films[0]);
    QTest::keyClick(&w, Qt::Key_B, Qt::AltModifier);
    QTRY_VERIFY(w.viewStopped);
    QVERIFY(w.List1->hasFocus());
    QVERIFY(!w.listResetPending);
    clickLine(w.List1, 5);
    QCOMPARE(t.player->fileName(), films[2]);

    QTest::keyClick(&w, Qt::Key_B, Qt::AltModifier);
    QTRY_VERIFY(w.viewStopped);
    w.cmdIniciar->setFocus();
    QTRY_VERIFY(!w.List1->currentIndex().isValid());  // the view caught up
    const int opened = t.player->opened.size();
    w.List1->setFocus(Qt::TabFocusReason);
    QVERIFY(w.List1->hasFocus());
    QCOMPARE(w.List1->listIndex(), -1);
    QCOMPARE(t.player->opened.size(), opened);
  }

  // Only the left button picks a line; another button opens nothing.
  void onlyTheLeftButtonPicksALine() {
    const QStringList films = someFiles(dir.path(), 3, "avi");
    TestWindow t = activeWindowWithResult(films);
    FileFind& w = *t.window;
    QVERIFY(w.isActiveWindow());
    QTRY_VERIFY(w.List1->model()->rowCount() == 6);  // the view shows the lines
    const QPoint line3 = w.List1->visualRect(w.List1->model()->index(3, 0)).center();
    const int before = w.List1->listIndex();
    for (Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
      QTest::mouseClick(w.List1->viewport(), other, {}, line3);
      QCOMPARE(w.List1->listIndex(), before);
    }
    QVERIFY(t.player->opened.isEmpty());
    QTest::mouseClick(w.List1->viewport(), Qt::LeftButton, {}, line3);
    QCOMPARE(w.List1->listIndex(), 3);
    QCOMPARE(t.player->fileName(), films[1]);
  }

  // The kind buttons lie under the player; their access keys still reach them.
  void returnToSearchFollowsTheKindChosenNow() {
    TestWindow t = activeWindowWithResult(someFiles(dir.path(), 2, "avi"));
    FileFind& w = *t.window;
    clickButton(w.cmdMostraArq);
    t.player->finishOpening(5);
    pressAccessKey(w.optFoto);
    QVERIFY(w.optFoto->isChecked());
    w.Timer2->setEnabled(true);
    w.frmFoto->show();
    clickButton(w.cmdBusca);
    QVERIFY(!w.Timer2->enabled());
    QVERIFY(!w.frmFoto->isVisibleTo(&w));
    QVERIFY(w.frmFilme->isVisibleTo(&w));
    QVERIFY(w.Timer1->enabled());
    QVERIFY(!t.player->fileName().isEmpty());
    QCOMPARE(w.List1->listIndex(), 1);
  }

  void returnToSearchInSearchMode() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    clickButton(w.cmdBusca);
    QCOMPARE(tw::top(w.List1), 1440.0f);
    QVERIFY(w.cmdParar->isEnabled());
    QCOMPARE(t.player->opened, QStringList({QString()}));
    QVERIFY(t.messages->shown.isEmpty());
  }

  void aLongResultSteppedEndToEnd() {
    TestWindow t = makeTestWindow();
    FileFind& w = *t.window;
    listAsFound(w, someFiles(dir.path(), 100000, "avi"));
    w.List1->setListIndex(1);
    for (int i = 0; i < 100000 && w.List1->listIndex() < w.List1->listCount() - 1; ++i)
      clickButton(w.cmdProximo);
    QCOMPARE(w.List2->listIndex(), 99999);
    QCOMPARE(t.player->opened.size(), 100000);
    QVERIFY(t.messages->shown.isEmpty());
  }

  // The newest line is selected after a search; a person's click on it (or Enter or Space
  // in the list) opens its file at once, and again on the next click.
  void theSelectedLineOpensWhenPicked_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("how");
    QTest::newRow("photo, last of three, click") << "photo" << 3 << "click";
    QTest::newRow("photo, the only one, click") << "photo" << 1 << "click";
    QTest::newRow("film, last of three, click") << "film" << 3 << "click";
    QTest::newRow("film, the only one, click") << "film" << 1 << "click";
    QTest::newRow("photo, Enter") << "photo" << 3 << "enter";
    QTest::newRow("film, Space") << "film" << 3 << "space";
  }

  void theSelectedLineOpensWhenPicked() {
    QFETCH(QString, kind);
    QFETCH(int, files);
    QFETCH(QString, how);
    const QString folder = dir.filePath(QString("picked-%1").arg(QTest::currentDataTag()));
    const QStringList paths = filesOnDisk(folder, files, kind);
    TestWindow t = windowAfterSearch(folder, kind);
    FileFind& w = *t.window;
    const int last = 2 * files - 1;
    QCOMPARE(w.List1->listIndex(), last);
    QTRY_VERIFY(listCaughtUp(w));
    const int openedBefore = t.player->opened.size();
    // The program's own assignment of the same line opens nothing.
    w.List1->setListIndex(last);
    QCOMPARE(w.Label3->text(), QString());
    QCOMPARE(t.player->opened.size(), openedBefore);

    auto pick = [&] {
      if (how == "click") {
        QTest::mouseClick(w.List1->viewport(), Qt::LeftButton, {}, lineCentre(w, last));
      } else {
        w.List1->setFocus();
        QTest::keyClick(w.List1, how == "enter" ? Qt::Key_Return : Qt::Key_Space);
      }
    };
    pick();
    QCOMPARE(w.List1->listIndex(), last);
    if (kind == "photo") {
      QCOMPARE(w.Label3->text(), paths.last());
      QVERIFY(w.frmFoto->isVisibleTo(&w));
      QCOMPARE(tw::width(w.Image1), float((30 + files - 1) * 15));
    } else {
      QCOMPARE(t.player->opened.mid(openedBefore), QStringList({paths.last()}));
      QCOMPARE(w.Label2->text(), paths.last());
    }
    QCOMPARE(tw::top(w.List1), 4230.0f);  // moved to its viewing place

    QTRY_VERIFY(listCaughtUp(w));
    w.Label3->clear();
    pick();
    if (kind == "photo") {
      QCOMPARE(w.Label3->text(), paths.last());
    } else {
      QCOMPARE(t.player->opened.mid(openedBefore), QStringList({paths.last(), paths.last()}));
    }
    QVERIFY(t.messages->shown.isEmpty());
  }

  // After a search of 16 photos the last line is selected and shown; a person scrolls the
  // list to the top and clicks a line there: that line opens, in search and viewing mode.
  void theLineClickedAfterScrollingOpens_data() {
    QTest::addColumn<bool>("viewing");
    QTest::addColumn<QString>("scroll");
    QTest::newRow("search mode, wheel") << false << "wheel";
    QTest::newRow("search mode, scroll bar") << false << "bar";
    QTest::newRow("viewing mode, wheel") << true << "wheel";
    QTest::newRow("viewing mode, scroll bar") << true << "bar";
  }

  void theLineClickedAfterScrollingOpens() {
    QFETCH(bool, viewing);
    QFETCH(QString, scroll);
    const QString folder = dir.filePath("sixteen");
    if (!QDir(folder).exists()) filesOnDisk(folder, 16, "photo");
    TestWindow t = windowAfterSearch(folder, "photo");
    FileFind& w = *t.window;
    QCOMPARE(w.List1->listIndex(), 31);
    QTRY_VERIFY(listCaughtUp(w));
    if (viewing) {
      QTest::mouseClick(w.List1->viewport(), Qt::LeftButton, {}, lineCentre(w, 29));
      QCOMPARE(w.Label3->text(), QDir(folder).filePath("f14.jpg"));
      QTRY_VERIFY(listCaughtUp(w));
    }
    QScrollBar* bar = w.List1->verticalScrollBar();
    QVERIFY(bar->value() > 0);
    for (int step = 0; step < 100 && bar->value() > 0; ++step) {
      if (scroll == "wheel") {
        const QPoint at = w.List1->viewport()->rect().center();
        QWheelEvent wheel(at, w.List1->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.List1->viewport(), &wheel);
      } else {  // a click in the groove above the thumb pages up
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = bar->orientation();
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = option.sliderValue = bar->value();
        option.pageStep = bar->pageStep();
        option.singleStep = bar->singleStep();
        const QRect above = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                         QStyle::SC_ScrollBarSubPage, bar);
        QTest::mouseClick(bar, Qt::LeftButton, {}, above.center());
      }
    }
    QCOMPARE(bar->value(), 0);
    QVERIFY(w.List1->visualRect(w.List1->model()->index(3, 0)).top() >= 0);

    QTest::mouseClick(w.List1->viewport(), Qt::LeftButton, {}, lineCentre(w, 3));
    QCOMPARE(w.List1->listIndex(), 3);
    QCOMPARE(w.Label3->text(), QDir(folder).filePath("f01.jpg"));
    QCOMPARE(tw::width(w.Image1), 465.0f);  // f01 is 31 pixels wide
  }
};

QTEST_MAIN(ViewingTest)
#include "tst_viewing.moc"
