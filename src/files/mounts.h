#pragma once

// The machine's mount table as the kernel lists it, and a check of a mount point that
// gives up after a time limit, for drives (network shares, stuck devices) that do not
// answer. Reading the table asks no file system anything.

#include <QByteArray>
#include <QList>
#include <QString>

struct MountEntry {
  QString mountPoint;  // as mounted, without a trailing separator except for "/"
  QByteArray type;     // "ext4", "nfs", "fuse.sshfs"
  QString source;      // "/dev/sda1", "server:/export"
};

// The mounts of this process's view, in mount order; empty when the table is unreadable.
QList<MountEntry> readMountTable();
// Parses the text of /proc/self/mountinfo.
QList<MountEntry> parseMountTable(const QByteArray& text);

// The labels of block devices by their device path ("/dev/sdb1" -> "STICK").
QString labelOfDevice(const QString& device);

// True when `mountPoint` can be listed and its file system answers within `limitMs`. The
// check runs on a thread of its own; one that does not return in time is left to finish
// whenever it can, and while it is still out, asking again about the same mount point
// answers false at once.
bool mountAnswers(const QString& mountPoint, int limitMs);
