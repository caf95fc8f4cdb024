#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRegion>
#include <QString>
#include <QVector>

#include <variant>
#include <vector>

#include "pictures/metafile/metafilebytes.h"

// The graphics objects a metafile creates, and the drawing state its records change.

struct MfPen {
  int style = 0;      // low nibble: solid, dash, dot, dash-dot, dash-dot-dot, null, inside frame
  int capJoin = 0;    // end cap and join bits
  qreal width = 0;    // logical units; 0 is one device pixel
  quint32 color = 0;  // colour reference as stored (may name a palette entry)
};

struct MfBrush {
  int style = 0;  // solid, null, hatched, pattern, DIB pattern
  quint32 color = 0x00FFFFFF;
  int hatch = 0;
  // Pattern brushes: the tile. A monochrome one (index 0 and 1) takes the text and the
  // background colour where it is used.
  QImage pattern;
  bool monochrome = false;
};

struct MfFont {
  int height = 0;
  int width = 0;
  int escapement = 0;  // tenths of a degree, counter-clockwise
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int charset = 0;
  int pitchAndFamily = 0;
  QString face;
};

struct MfPalette {
  QVector<QRgb> colors;
};

struct MfRegion {
  QVector<QRect> rects;  // logical units
};

using MfObject = std::variant<std::monostate, MfPen, MfBrush, MfFont, MfPalette, MfRegion>;

// Parsers of the creation records; false when the parameters are too short.
bool parsePen(const ByteView& p, MfPen* pen);
bool parseBrush(const ByteView& p, MfBrush* brush);
bool parseFont(const ByteView& p, MfFont* font);
bool parsePalette(const ByteView& p, MfPalette* palette);
bool parseRegion(const ByteView& p, MfRegion* region);
// Applies a palette-entries record (start, count, entries) to `palette`.
void setPaletteEntries(const ByteView& p, MfPalette* palette);

// The table of created objects. A new object takes the lowest free slot; the table starts
// at the size the header gives and grows, up to the format's limit, for files that
// understate it.
class ObjectTable {
 public:
  explicit ObjectTable(int declaredSize);
  void add(MfObject object);
  void remove(int index);
  const MfObject* at(int index) const;
  MfObject* at(int index);

 private:
  std::vector<MfObject> slots_;
  size_t firstFree_ = 0;
};

// Device-context values that the records set; saved and restored as a whole.
struct MfDcState {
  MfPen pen;
  MfBrush brush;
  MfFont font;
  MfPalette palette;
  quint32 textColor = 0;
  quint32 bkColor = 0x00FFFFFF;
  bool bkOpaque = true;
  int textAlign = 0;
  int charExtra = 0;
  bool winding = false;
  int rop2 = 13;  // copy pen
  int mapMode = 8;
  QPointF position;
  QPointF windowOrg, windowExt;
  QPointF viewportOrg, viewportExt;
  bool viewportExtSet = false;
  bool clipped = false;
  QRegion clip;  // device pixels, meaningful when clipped
};

// Resolves a colour reference against the selected palette.
QColor colorFromRef(quint32 ref, const MfPalette& palette);
