#include "support/memory.h"

#include <QFile>

double peakResidentMb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (!line.startsWith("VmHWM:")) continue;
    const QList<QByteArray> parts = line.mid(6).simplified().split(' ');
    return parts.isEmpty() ? -1 : parts.first().toDouble() / 1024;
  }
  return -1;
}

bool resetPeakResident() {
  QFile refs(QStringLiteral("/proc/self/clear_refs"));
  return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}
