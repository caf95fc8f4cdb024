// The window FileFind: building it, and the window events it handles itself.
#include "app/filefind.h"

#include <QCloseEvent>
#include <QKeyEvent>

#include "app/icon.h"
#include "controls/exit.h"
#include "controls/fonts.h"
#include "controls/keys.h"
#include "controls/twips.h"
#include "media/mpvplayer.h"

FileFind::FileFind(FileFindServices services)
    : volumes_(std::move(services.volumes)),
      messages_(std::move(services.messages)),
      playerFactory_(std::move(services.playerFactory)) {
  if (!volumes_) volumes_ = makeSystemVolumeSource();
  if (!messages_) messages_ = makeMessageBoxSink(QStringLiteral("Vistara"));
  if (!playerFactory_) playerFactory_ = makeMpvPlayer;

  setObjectName(QStringLiteral("FileFind"));
  setWindowTitle(QStringLiteral("Vistara"));
  setWindowIcon(makeWindowIcon());
  setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25f));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(192, 192, 192));
  setPalette(pal);
  setAutoFillBackground(true);
  resize(tw::toPixels(10410),
         tw::toPixels(6825));  // the stored inner size; the load handler sets the outer size

  buildDesign();
  wireEvents();
  // A window the window system destroys without a close request ends the program as
  // closing it does.
  lossWatch_ = std::make_unique<WindowLossWatch>(this, [] { exitNow(0); });
  Form_Load();
}

// The result lists show found_, which goes before the controls do.
FileFind::~FileFind() {
  List1->clear();
  List2->clear();
}

void FileFind::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

// The window has no closing handler of its own: closing it ends the program at once,
// also from inside a running search.
void FileFind::closeEvent(QCloseEvent*) {
  exitNow(0);
}

// Keys pressed on the previous-photo button reach the result list's key handling.
bool FileFind::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cmdAntFoto && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    cmdAntFoto_KeyDown(vbKeyCode(key->key()), vbShiftState(key->modifiers()));
  }
  return QWidget::eventFilter(watched, event);
}

void FileFind::setSearchControlsEnabled(bool on) {
  for (QWidget* c : std::initializer_list<QWidget*>{cmdIniciar, Drive1, Dir1, cmdParar, cmdSaida}) {
    c->setEnabled(on);
  }
}
