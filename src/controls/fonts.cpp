#include "controls/fonts.h"

QFont designFont(const QString& face, float points, bool bold, bool italic) {
  QFont font;
  const bool sans = face.contains(QLatin1String("Sans"), Qt::CaseInsensitive);
  const bool serif = face.contains(QLatin1String("Times"), Qt::CaseInsensitive) ||
                     (face.contains(QLatin1String("Serif"), Qt::CaseInsensitive) && !sans);
  font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
  font.setFamily(serif ? QStringLiteral("serif") : QStringLiteral("sans-serif"));
  font.setPointSizeF(points);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}
