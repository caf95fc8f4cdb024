#pragma once

#include <QPainter>
#include <QRectF>
#include <QSize>

#include <vector>

#include "pictures/metafile/metafile.h"
#include "pictures/metafile/metafilebitmaps.h"
#include "pictures/metafile/metafilecanvas.h"
#include "pictures/metafile/metafileformat.h"
#include "pictures/metafile/metafileshapes.h"
#include "pictures/metafile/metafiletext.h"

// Replays the records of a metafile on a painter whose device is `deviceSize` pixels, the
// frame (placeable box or first window) filling the device. Hostile files cannot make it
// run long: the number of records, the painted area, the decoded bitmap pixels and the
// time are all bounded, and playback stops quietly at the first exhausted budget. The
// player itself keeps the device context's state, the objects and the clip; the drawing
// records go to the shapes, the bitmaps and the text.
class MetafilePlayer {
 public:
  MetafilePlayer(const ByteView& bytes, const MetafileHeader& header, const QRectF& frame,
                 QSize deviceSize);
  // `pixelScale`: device pixels per pixel of the picture's natural size.
  void play(QPainter* painter, qreal pixelScale = 1);
  // Text runs placed by advance arrays are recorded here while playing (null: none).
  void traceText(std::vector<MetafileTextRun>* runs) { text_.traceText(runs); }

 private:
  bool dispatchState(const MetafileRecord& r);
  bool dispatchObjects(const MetafileRecord& r);
  bool dispatchClip(const MetafileRecord& r);

  void saveDc();
  void restoreDc(int which);
  void selectObject(int index);
  MfBrush patternBrush(const MetafileRecord& r);

  ByteView bytes_;
  MetafileHeader header_;
  MetafileCanvas canvas_;
  ShapeRecords shapes_{&canvas_};
  BitmapRecords bitmaps_{&canvas_};
  TextRecords text_{&canvas_};
  std::vector<MfDcState> saved_;
};
