#include "app/filefind.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "app/icon.h"
#include "controls/exit.h"
#include "controls/fonts.h"
#include "controls/keys.h"
#include "controls/twips.h"
#include "media/mpvplayer.h"
#include "units/pixels.h"

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

FileFind::~FileFind() = default;

// The frame the window manager adds around the client area (none offscreen).
QSize FileFind::frameExtra() const {
  return frameGeometry().size() - geometry().size();
}

float FileFind::outerWidth() const {
  return float(frameGeometry().width() * units::kTwipsPerPixel);
}
float FileFind::outerHeight() const {
  return float(frameGeometry().height() * units::kTwipsPerPixel);
}
float FileFind::innerWidth() const {
  return float(width() * units::kTwipsPerPixel);
}

void FileFind::setOuterWidth(float twips) {
  requestedOuter_.setWidth(tw::toPixels(twips));
  resize(std::max(1, requestedOuter_.width() - frameExtra().width()), height());
}

void FileFind::setOuterHeight(float twips) {
  requestedOuter_.setHeight(tw::toPixels(twips));
  resize(width(), std::max(1, requestedOuter_.height() - frameExtra().height()));
}

// The frame is known only once the window is shown: the outer size asked for before
// then is given again, so that frame and client together have that size.
void FileFind::showCentred() {
  show();
  const QSize client = requestedOuter_ - frameExtra();
  if (requestedOuter_.isValid() && client != size()) resize(client.expandedTo(QSize(1, 1)));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
  }
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
