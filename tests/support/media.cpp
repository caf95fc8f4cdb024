#include "support/media.h"

#include <QFile>

#include "media/midi/midisong.h"

QString mediaFixture(const QString& name) {
  return QStringLiteral(VISTARA_TEST_DATA "/media/") + name;
}

double fixtureDuration(const QString& name) {
  QFile list(mediaFixture("durations.txt"));
  if (!list.open(QIODevice::ReadOnly)) return -1;
  while (!list.atEnd()) {
    const QList<QByteArray> f = list.readLine().trimmed().split(' ');
    if (f.size() == 2 && f[0] == name.toUtf8()) {
      const double d = f[1].toDouble();
      return name.endsWith(".mid") ? d + MidiSong::kTailSeconds : d;
    }
  }
  return -1;
}
