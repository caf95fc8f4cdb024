#include "support/fakes.h"

#include "support/scriptedplayer.h"

TestWindow makeTestWindow(const QStringList& fakeDrives) {
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
  services.playerFactory = scriptedPlayerFactory(&t.player);
  t.window = std::make_unique<FileFind>(std::move(services));
  return t;
}
