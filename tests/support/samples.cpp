#include "support/samples.h"

#include <QtGlobal>

QString samplesFolder() {
  QString dir = qEnvironmentVariable("VISTARA_SAMPLES");
  if (dir.isEmpty()) dir = qEnvironmentVariable("VISTARA_SAMPLES_DEFAULT");
  return dir;
}
