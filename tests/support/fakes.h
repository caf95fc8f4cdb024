#pragma once

#include <QSet>
#include <QStringList>
#include <functional>

#include "app/filefind.h"
#include "controls/messagebox.h"
#include "files/volumes.h"

class ScriptedPlayer;

// Records the program's messages instead of showing a modal box.
class RecordingSink : public MessageSink {
 public:
  void show(QWidget*, const QString& text) override {
    shown.append(text);
    if (onShow) onShow();
  }
  QStringList shown;
  std::function<void()> onShow;
};

// Drives the test names; some may be made unready.
class FakeVolumes : public VolumeSource {
 public:
  QList<Volume> list;
  QSet<QString> unready;
  QList<Volume> volumes() const override { return list; }
  bool isReady(const QString& mountPoint) const override { return !unready.contains(mountPoint); }
};

// A real window with fakes only where the machine has nothing to offer.
struct TestWindow {
  RecordingSink* messages = nullptr;
  FakeVolumes* volumes = nullptr;  // null: the machine's own drives
  ScriptedPlayer* player = nullptr;
  std::unique_ptr<FileFind> window;
};

// `fakeDrives` replaces the volume source with one drive per given mount point.
TestWindow makeTestWindow(const QStringList& fakeDrives = {});
// The same window with the real media player instead of the scripted one.
TestWindow makeRealPlayerWindow();

// Searches `folder` with the patterns in Text1, the way a person does.
void searchFrom(FileFind& w, const QString& folder);
