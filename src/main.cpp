#include <QApplication>
#include <QStyleFactory>
#include <clocale>

#include "app/filefind.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // Lets the desktop match the window to its menu entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("example.vistara.Vistara"));
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  // The media engine reads numbers in the C locale; the window formats with QLocale.
  std::setlocale(LC_NUMERIC, "C");
  FileFind window;
  window.showCentred();
  return app.exec();
}
