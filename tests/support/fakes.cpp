#include "support/fakes.h"

#include <QTest>

#include "media/mpvplayer.h"
#include "support/scriptedplayer.h"

namespace {

TestWindow makeWindow(const QStringList& fakeDrives, bool realPlayer) {
  TestWindow t;
  FileFindServices services;
  auto sink = std::make_unique<RecordingSink>();
  t.messages = sink.get();
  services.messages = std::move(sink);
  if (!fakeDrives.isEmpty()) {
    auto volumes = std::make_unique<FakeVolumes>();
    for (const QString& d : fakeDrives) volumes->list.append({d, QString()});
    t.volumes = volumes.get();
    services.volumes = std::move(volumes);
  }
  services.playerFactory = realPlayer ? makeMpvPlayer : scriptedPlayerFactory(&t.player);
  t.window = std::make_unique<FileFind>(std::move(services));
  return t;
}

}  // namespace

TestWindow makeTestWindow(const QStringList& fakeDrives) {
  return makeWindow(fakeDrives, false);
}

TestWindow makeRealPlayerWindow() {
  return makeWindow({}, true);
}

void searchFrom(FileFind& w, const QString& folder) {
  QVERIFY(w.Dir1->setPath(folder));
  QTest::mouseClick(w.cmdIniciar, Qt::LeftButton);
}
