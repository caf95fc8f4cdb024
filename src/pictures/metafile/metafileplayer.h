#pragma once

#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QSize>

#include <vector>

#include "pictures/metafile/metafile.h"
#include "pictures/metafile/metafileformat.h"
#include "pictures/metafile/metafileobjects.h"

// Replays the records of a metafile on a painter whose device is `deviceSize` pixels, the
// frame (placeable box or first window) filling the device. Hostile files cannot make it
// run long: the number of records, the painted area, the decoded bitmap pixels and the
// time are all bounded, and playback stops quietly at the first exhausted budget.
class MetafilePlayer {
 public:
  // A character of a text record, decoded from the bytes that make it.
  struct TextPiece {
    QString text;
    int firstByte = 0, bytes = 1;
    qreal fit = 1;  // horizontal scale that keeps the glyph within its given advance
  };

  MetafilePlayer(const ByteView& bytes, const MetafileHeader& header, const QRectF& frame);
  // `pixelScale`: device pixels per pixel of the picture's natural size.
  void play(QPainter* painter, QSize deviceSize, qreal pixelScale = 1);
  // Text runs placed by advance arrays are recorded here while playing (null: none).
  void traceText(std::vector<MetafileTextRun>* runs) { runs_ = runs; }

 private:
  bool dispatch(const MetafileRecord& r);
  bool dispatchState(const MetafileRecord& r);
  bool dispatchObjects(const MetafileRecord& r);
  bool dispatchClip(const MetafileRecord& r);
  bool dispatchShapes(const MetafileRecord& r);
  bool dispatchBitmaps(const MetafileRecord& r);
  bool dispatchText(const MetafileRecord& r);

  // Coordinates.
  void updateMapping();
  QPointF map(qreal x, qreal y) const;
  QRectF mapRect(qreal left, qreal top, qreal right, qreal bottom) const;
  QPolygonF points(const ByteView& p, qsizetype at, int count) const;

  // State.
  void saveDc();
  void restoreDc(int which);
  void selectObject(int index);
  MfBrush patternBrush(const MetafileRecord& r);
  void applyClip();
  void setClip(const QRegion& region);
  QRegion mapRegion(const MfRegion& region) const;
  QColor color(quint32 ref) const { return colorFromRef(ref, dc_.palette); }

  // Drawing.
  bool charge(const QRectF& deviceBounds, qint64 extra = 0);
  QPen pen() const;
  QBrush brush(const MfBrush& b) const;
  bool beginRop2();
  void drawPath(const QPainterPath& shape, bool fill, bool closed);
  void drawArcFamily(const ByteView& p, int kind);
  void patBlt(const QRectF& device, quint32 rop, const QBrush& brush);
  void blit(const QImage& image, QRectF source, const QRectF& device, quint32 rop);
  void drawRegion(const MfRegion& region, int function, const MfBrush* brush, QSizeF frame);

  // Text.
  // `standIn`: the face drawn is not the face named nor one with its metrics.
  QFont font(qreal* pixelHeight, qreal* stretch, bool* standIn) const;
  QVector<TextPiece> decodeText(const ByteView& bytes) const;
  void drawText(QPointF logical, const ByteView& bytes, const ByteView& dx, int options,
                const QRectF* logicalRect);
  static void drawPieces(QPainter* painter, const QVector<TextPiece>& pieces,
                         const QVector<QPointF>& offsets, QPointF at, qreal stretch);
  void recordRun(const QVector<TextPiece>& pieces, const QVector<QPointF>& offsets,
                 const QFont& font, QPointF origin, QPointF at, qreal width, qreal stretch);

  ByteView bytes_;
  MetafileHeader header_;
  QRectF frame_;
  QPainter* p_ = nullptr;
  QSizeF size_;
  MfDcState dc_;
  std::vector<MfDcState> saved_;
  ObjectTable objects_;
  qreal pixelScale_ = 1;
  qreal sx_ = 1, sy_ = 1, ox_ = 0, oy_ = 0;
  QPointF baseViewportExt_;
  qint64 areaBudget_ = 0;
  qint64 dibBudget_ = 0;
  qint64 textBudget_ = 0;
  QElapsedTimer clock_;
  bool exhausted_ = false;
  std::vector<MetafileTextRun>* runs_ = nullptr;
};
