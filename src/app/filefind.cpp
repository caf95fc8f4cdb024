#include "app/filefind.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QScreen>

#include "app/icon.h"
#include "platform/exit.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/mpvplayer.h"
#include "platform/twips.h"

FileFind::FileFind(FileFindServices services)
    : volumes_(std::move(services.volumes)),
      messages_(std::move(services.messages)),
      playerFactory_(std::move(services.playerFactory)) {
  if (!volumes_) volumes_ = makeSystemVolumeSource();
  if (!messages_) messages_ = makeMessageBoxSink();
  if (!playerFactory_) playerFactory_ = makeMpvPlayer;

  setObjectName(QStringLiteral("FileFind"));
  setWindowTitle(QStringLiteral("Vistara"));
  setWindowIcon(makeWindowIcon());
  setFont(designFont(QStringLiteral("MS Sans Serif"), 8.25f));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(192, 192, 192));
  setPalette(pal);
  setAutoFillBackground(true);
  resize(10410 / 15, 6825 / 15);  // the stored inner size; the load handler sets the outer size

  buildDesign();
  wireEvents();
  Form_Load();
}

FileFind::~FileFind() = default;

// The frame the window manager adds around the client area (none offscreen).
QSize FileFind::frameExtra() const {
  return frameGeometry().size() - geometry().size();
}

float FileFind::outerWidth() const { return float(frameGeometry().width()) * tw::kPerPixel; }
float FileFind::outerHeight() const { return float(frameGeometry().height()) * tw::kPerPixel; }
float FileFind::innerWidth() const { return float(width()) * tw::kPerPixel; }

void FileFind::setOuterWidth(float twips) {
  resize(std::max(1, tw::toPixels(twips) - frameExtra().width()), height());
}

void FileFind::setOuterHeight(float twips) {
  resize(width(), std::max(1, tw::toPixels(twips) - frameExtra().height()));
}

void FileFind::showCentred() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  show();
}

void FileFind::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

// The window has no closing handler of its own: closing it ends the program at once,
// also from inside a running search.
void FileFind::closeEvent(QCloseEvent*) { exitNow(0); }

// Keys pressed on the previous-photo button reach the result list's key handling.
bool FileFind::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cmdAntFoto && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    cmdAntFoto_KeyDown(vbKeyCode(key->key()), vbShiftState(key->modifiers()));
  }
  return QWidget::eventFilter(watched, event);
}
