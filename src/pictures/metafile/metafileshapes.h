#pragma once

#include <QPainterPath>

#include "pictures/metafile/metafilecanvas.h"
#include "pictures/metafile/metafileformat.h"

// The records that draw lines, shapes, single pixels and regions with the selected pen and
// brush, under the mix mode the file sets.
class ShapeRecords {
 public:
  explicit ShapeRecords(MetafileCanvas* canvas) : c_(canvas) {}
  // Draws the record if it is one of these; false for any other.
  bool play(const MetafileRecord& r);

 private:
  // The shapes an ellipse's arc bounds: the arc alone, a slice to the centre, or the arc
  // closed by its chord.
  enum class ArcKind { Arc, Pie, Chord };

  bool beginRop2();
  void drawPath(const QPainterPath& shape, bool fill, bool closed);
  void drawArc(const ByteView& p, ArcKind kind);
  void drawRegion(const MetafileRecord& r);

  MetafileCanvas* c_;
};
