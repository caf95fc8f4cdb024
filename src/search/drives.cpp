// The choice of drive and the folder refresh.
#include "app/filefind.h"

namespace {
const QString kDriveNotReady = QStringLiteral("Dispositivo não está preparado...");
}  // namespace

// Moving to a drive that is not ready (no medium, a share that does not answer) shows a
// message and takes the previous drive back, which runs this handler once more, nested.
// Should that drive have become unready too, the nested run shows the message again and
// stops there: the drive list already holds that drive, so nothing is raised a third time.
void FileFind::Drive1_Change() {
  const QString previous = Dir1->path();
  const QString drive = Drive1->drive();
  const VolumeSource* source = Drive1->source();
  const bool moved = (!source || source->isReady(drive)) && Dir1->setPath(drive);
  if (!moved) {
    messages().show(this, kDriveNotReady);
    Drive1->setDrive(previous);
  }
  cmdIniciar->setFocus();
}

void FileFind::cmdAtualizar_Click() {
  Dir1->refresh();
}
