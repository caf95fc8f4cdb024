// libFuzzer target for the metafile player: headers, frame scan and a full replay.
#include <QByteArray>
#include <QGuiApplication>
#include <QSizeF>

#include <cstdint>
#include <cstdlib>

#include "pictures/metafile/metafile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  (void)argc;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int qtArgc = 1;
  static char* qtArgv[] = {(*argv)[0], nullptr};
  new QGuiApplication(qtArgc, qtArgv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  isMetafileData(bytes.left(64));
  QSizeF twips;
  if (!metafileNaturalSize(bytes, &twips, nullptr)) return 0;
  // A small device keeps iterations fast; every record is still parsed and replayed.
  renderMetafile(bytes, QSize(96, 64), nullptr);
  return 0;
}
