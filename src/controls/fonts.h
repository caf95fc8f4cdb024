#pragma once

#include <QFont>
#include <QString>

// Maps the design's font faces to this platform's: "MS Sans Serif" to the default
// sans-serif face, "Times New Roman" to the serif face. Sizes stay in points.
QFont designFont(const QString& face, float points, bool bold = false, bool italic = false);
