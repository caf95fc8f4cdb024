// Writes the window's icon as PNG files for the desktop's icon theme, from the very
// drawing the window uses, so the menu and the title bar show the same picture.
//   render-icons OUTDIR SIZE...   writes OUTDIR/SIZExSIZE.png for each SIZE
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "app/icon.h"

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: render-icons OUTDIR SIZE...\n");
    return 2;
  }
  const QDir out(args[1]);
  if (!out.mkpath(QStringLiteral("."))) {
    std::fprintf(stderr, "render-icons: cannot create %s\n", qPrintable(args[1]));
    return 1;
  }
  for (int i = 2; i < args.size(); ++i) {
    bool ok = false;
    const int size = args[i].toInt(&ok);
    if (!ok || size < 16 || size > 1024) {
      std::fprintf(stderr, "render-icons: bad size %s\n", qPrintable(args[i]));
      return 2;
    }
    const QString path = out.filePath(QStringLiteral("%1x%1.png").arg(size));
    if (!drawWindowIcon(size).save(path, "PNG")) {
      std::fprintf(stderr, "render-icons: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
