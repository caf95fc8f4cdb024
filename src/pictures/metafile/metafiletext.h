#pragma once

#include <QFont>
#include <QPointF>
#include <QString>
#include <QVector>

#include <vector>

#include "pictures/metafile/metafile.h"
#include "pictures/metafile/metafilecanvas.h"
#include "pictures/metafile/metafileformat.h"

struct TextRecord;

// The text records: characters decoded by the font's character set or symbol page, drawn in
// the system face that stands for the named one, placed by the file's advances.
class TextRecords {
 public:
  // A character of a text record, decoded from the bytes that make it.
  struct Piece {
    QString text;
    int firstByte = 0, bytes = 1;
    qreal fit = 1;  // horizontal scale that keeps the glyph within its given advance
  };

  explicit TextRecords(MetafileCanvas* canvas) : c_(canvas) {}
  // Text runs placed by advance arrays are recorded here while playing (null: none).
  void traceText(std::vector<MetafileTextRun>* runs) { runs_ = runs; }
  // Draws the record if it is a text record; false for any other.
  bool play(const MetafileRecord& r);

 private:
  // The face drawn for the selected font, at its size in device pixels.
  struct Face {
    QFont font;
    qreal pixelHeight = 0;
    qreal stretch = 1;        // horizontal scale of the whole run
    bool standIn = false;     // neither the face named nor one with its metrics
    bool fixedPitch = false;  // every glyph of the named face takes one cell
  };

  Face face() const;
  QVector<Piece> decode(const ByteView& bytes) const;
  void draw(const TextRecord& t);
  static void drawPieces(QPainter* painter, const QVector<Piece>& pieces,
                         const QVector<QPointF>& offsets, QPointF at, qreal stretch);
  void recordRun(const QVector<Piece>& pieces, const QVector<QPointF>& offsets,
                 const QVector<QPointF>& drawn, const QFont& font, QPointF origin, QPointF at,
                 qreal width, qreal stretch);

  MetafileCanvas* c_;
  std::vector<MetafileTextRun>* runs_ = nullptr;
};
