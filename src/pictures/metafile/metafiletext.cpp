// Fonts and text of the metafile player.
#include "pictures/metafile/metafiletext.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPainterPath>
#include <QRawFont>
#include <QStringDecoder>

#include <cmath>

#include "pictures/metafile/metafilefaces.h"
#include "pictures/metafile/metafilerecords.h"

namespace {

constexpr int kUpdateCp = 0x0001;
constexpr int kMaxChars = 8192;

// Windows-1252 differs from Latin-1 in 0x80..0x9F.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

const char* codecFor(int charset) {
  switch (charset) {
    case 128:
      return "Shift_JIS";
    case 129:
      return "windows-949";
    case 134:
      return "GBK";
    case 136:
      return "Big5";
    case 161:
      return "windows-1253";
    case 162:
      return "windows-1254";
    case 177:
      return "windows-1255";
    case 178:
      return "windows-1256";
    case 186:
      return "windows-1257";
    case 204:
      return "windows-1251";
    case 238:
      return "windows-1250";
    default:
      return nullptr;
  }
}

// The faces that draw a symbol face's characters: its mathematics, arrows and dingbats. The
// classic symbol face's Greek takes the symbol face's own shapes and widths, not those of a
// text face's Greek.
QStringList symbolFamilies(SymbolSet set) {
  if (set == SymbolSet::Symbol)
    return {QStringLiteral("OpenSymbol"), QStringLiteral("Liberation Serif"),
            QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Math TeX Gyre")};
  return {QStringLiteral("OpenSymbol"), QStringLiteral("DejaVu Sans"),
          QStringLiteral("DejaVu Math TeX Gyre")};
}

// Em size over cell height (ascent plus descent) of a face: a positive font height is
// the cell's. Measured once per face and thread.
qreal emPerCell(const QFont& font) {
  thread_local QHash<QString, qreal> cache;
  QString key = font.families().join(QLatin1Char(',')) + QString::number(font.weight());
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  QFont probe(font);
  probe.setPixelSize(1000);
  QFontMetricsF m(probe);
  qreal cell = m.ascent() + m.descent();
  qreal ratio = cell > 100 ? 1000 / cell : 0.9;
  cache.insert(key, ratio);
  return ratio;
}

// The average character width a font's width field refers to: the old weighted average of
// the small letters and the space, which the classic faces store and their metric twins
// reproduce (newer faces' own averages run over every glyph, accents and symbols too). Per
// pixel of the em, measured once per face and thread.
qreal averageWidthPerEm(const QFont& font) {
  static const int kWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                                   56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};
  thread_local QHash<QString, qreal> cache;
  QString key = font.families().join(QLatin1Char(',')) + QString::number(font.weight()) +
                QLatin1Char(font.italic() ? 'i' : 'r');
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  QFont probe(font);
  probe.setPixelSize(1000);
  QFontMetricsF metrics(probe);
  qreal sum = 0;
  for (int i = 0; i < 27; ++i)
    sum += kWeights[i] * metrics.horizontalAdvance(i < 26 ? QChar('a' + i) : QChar(' '));
  qreal perEm = sum / 1000 / 1000;
  cache.insert(key, perEm);
  return perEm;
}

// Whether any face of the system draws `c` (the faces a font falls back on included).
bool systemDraws(const QFont& font, char32_t c) {
  thread_local QHash<char32_t, bool> cache;
  auto it = cache.constFind(c);
  if (it != cache.constEnd()) return *it;
  bool drawn = QFontMetricsF(font).inFontUcs4(c);
  cache.insert(c, drawn);
  return drawn;
}

// Glyphs placed by an advance array stay within their advances: a face widened past them
// is widened only as far as they allow, and a glyph of a stand-in face wider than its
// advance (a symbol, a face the system lacks) is drawn narrower. The named face's own
// glyphs set tighter than their width, an advance of nothing, or one much narrower than
// the glyph are the file's deliberate overlap and left alone. `natural`: each glyph's own
// advance in the face drawn.
void fitToAdvances(QVector<TextRecords::Piece>* pieces, const QVector<qreal>& given,
                   const QFontMetricsF& metrics, bool standIn, qreal* stretch,
                   QVector<qreal>* natural) {
  natural->reserve(pieces->size());
  qreal naturalWidth = 0, givenWidth = 0;
  for (int i = 0; i < pieces->size(); ++i) {
    natural->append(metrics.horizontalAdvance((*pieces)[i].text));
    naturalWidth += natural->last();
    givenWidth += given[i];
  }
  if (*stretch > 1 && naturalWidth * *stretch > givenWidth && naturalWidth > 0)
    *stretch = qMax<qreal>(1, givenWidth / naturalWidth);
  for (int i = 0; i < pieces->size() && standIn; ++i) {
    qreal drawn = (*natural)[i] * *stretch;
    if (given[i] > 0 && drawn > given[i] + 0.5)
      (*pieces)[i].fit = qMax<qreal>(0.5, given[i] / drawn);
  }
}

// Up to this size (pixels to the em) glyphs are placed on the pixel grid.
constexpr qreal kGridTextPixels = 24;

// Where the left edge of a glyph's leftmost stem lies, in pixels right of its origin: the
// leftmost upright straight edge at least a quarter of the em high. Not a number for a glyph
// without one (round letters, a glyph the face lacks). Measured once per face, size and
// character on each thread; `face` names the face and size.
qreal stemLeft(const QRawFont& raw, const QString& face, const QString& text) {
  thread_local QHash<QString, qreal> cache;
  QString key = face + text;
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  qreal left = qQNaN();
  QVector<quint32> glyphs = raw.glyphIndexesForString(text);
  if (glyphs.size() == 1 && glyphs[0] != 0) {
    QPainterPath path = raw.pathForGlyph(glyphs[0]);
    qreal tall = raw.pixelSize() / 4;
    for (int i = 1; i < path.elementCount(); ++i) {
      QPainterPath::Element from = path.elementAt(i - 1), to = path.elementAt(i);
      if (!to.isLineTo() || from.type == QPainterPath::CurveToElement) continue;
      if (qAbs(to.x - from.x) < 0.01 && qAbs(to.y - from.y) >= tall)
        left = std::isnan(left) ? to.x : qMin(left, to.x);
    }
  }
  if (cache.size() > 20000) cache.clear();
  cache.insert(key, left);
  return left;
}

// Small glyphs go where whole pixels put them, as on the screen the picture was made for:
// each glyph's first stem begins on a pixel boundary and the baseline lies on a pixel row,
// so a stem one pixel wide inks one column at full strength rather than two at half (the
// faces here are hinted upright only). A glyph moves less than half a pixel from the place
// its advance gives, and one without a stem not at all. A scale too slight to change a glyph
// by half a pixel is left out, as it would only blur it. `device`: where the run's offsets
// start on the device.
void placeOnGrid(QVector<TextRecords::Piece>* pieces, QVector<QPointF>* offsets, const QFont& font,
                 qreal pixelHeight, QPointF device, qreal* stretch) {
  if (qAbs(*stretch - 1) * pixelHeight < 0.5) *stretch = 1;
  QRawFont raw = QRawFont::fromFont(font);
  QString face = font.key() + QLatin1Char('/');
  for (int i = 0; i < pieces->size(); ++i) {
    TextRecords::Piece& piece = (*pieces)[i];
    if (qAbs(*stretch * piece.fit - 1) * pixelHeight < 0.5) piece.fit = 1;
    QPointF at = device + (*offsets)[i];
    qreal stem = *stretch * piece.fit == 1 ? stemLeft(raw, face, piece.text) : qQNaN();
    qreal dx = std::isnan(stem) ? 0 : std::round(at.x() + stem) - (at.x() + stem);
    (*offsets)[i] += QPointF(dx, std::round(at.y()) - at.y());
  }
}

}  // namespace

TextRecords::Face TextRecords::face() const {
  const MfFont& mf = c_->dc.font;
  const MetafileMapping& m = c_->mapping;
  SymbolSet set = symbolSetFor(mf.face, mf.charset);
  MfFace face;
  if (set == SymbolSet::None)
    face = resolveFace(mf.face, mf.pitchAndFamily);
  else
    face.families = symbolFamilies(set);
  Face out;
  out.standIn = !face.sameMetrics;
  out.fixedPitch = face.fixedPitch;
  QFont& f = out.font;
  f.setFamilies(face.families);
  f.setStyleHint(face.hint);
  f.setWeight(QFont::Weight(mf.weight <= 0 ? 400 : qBound(1, mf.weight, 1000)));
  f.setItalic(mf.italic);
  // Glyphs go where the file's layout puts them: no kerning.
  f.setKerning(false);
  qreal px;
  if (mf.height < 0)
    px = -mf.height * qAbs(m.sy());  // character height: the em size
  else if (mf.height > 0)
    px = mf.height * qAbs(m.sy()) * emPerCell(f);  // cell height: ascent plus descent
  else
    px = 12 * c_->pixelScale();  // the default face: twelve pixels at natural size
  QSizeF size = c_->size();
  out.pixelHeight = qMin<qreal>(px, 4 * qMax(size.width(), size.height()) + 16);
  // Small glyphs take the face's hinting as the desktop draws text (their strokes on whole
  // pixels); larger ones their exact outlines.
  f.setHintingPreference(out.pixelHeight <= kGridTextPixels ? QFont::PreferDefaultHinting
                                                            : QFont::PreferNoHinting);
  f.setPointSizeF(
      qMax<qreal>(0.1, out.pixelHeight * 72.0 / c_->painter()->device()->logicalDpiY()));
  out.stretch = face.stretch;
  // A width is the average character width asked for: the face is condensed or widened.
  if (mf.width != 0 && out.pixelHeight > 1) {
    qreal natural = averageWidthPerEm(f) * out.pixelHeight;
    if (natural > 0) out.stretch = qBound<qreal>(0.02, qAbs(mf.width) * qAbs(m.sx()) / natural, 50);
  }
  return out;
}

QVector<TextRecords::Piece> TextRecords::decode(const ByteView& bytes) const {
  const MfFont& font = c_->dc.font;
  int count = int(qMin<qsizetype>(bytes.size(), kMaxChars));
  QVector<Piece> pieces;
  pieces.reserve(count);
  SymbolSet set = symbolSetFor(font.face, font.charset);
  if (set != SymbolSet::None) {
    QFont probe;
    probe.setFamilies(symbolFamilies(set));
    for (int i = 0; i < count; ++i) {
      uchar c = bytes.u8(i);
      if (c == 0) continue;
      char32_t u = symbolToUnicode(set, c);
      if (u == 0 || (u > 0x7F && !systemDraws(probe, u))) u = kMissingSymbol;
      pieces.append({QString::fromUcs4(&u, 1), i, 1});
    }
    return pieces;
  }
  if (const char* codec = codecFor(font.charset)) {
    QStringDecoder decoder(codec);
    if (decoder.isValid()) {
      // Byte by byte, so that each character knows the bytes (and advances) it took.
      int start = 0;
      for (int i = 0; i < count; ++i) {
        char ch = char(bytes.u8(i));
        QString piece = decoder(QByteArrayView(&ch, 1));
        if (piece.isEmpty()) continue;
        piece.remove(QChar(0));
        if (!piece.isEmpty()) pieces.append({piece, start, i - start + 1});
        start = i + 1;
      }
      return pieces;
    }
  }
  for (int i = 0; i < count; ++i) {
    uchar c = bytes.u8(i);
    if (c == 0) continue;
    QChar ch = c >= 0x80 && c < 0xA0 ? QChar(kCp1252High[c - 0x80]) : QChar(c);
    pieces.append({QString(ch), i, 1});
  }
  return pieces;
}

bool TextRecords::play(const MetafileRecord& r) {
  if (r.function != mf::kTextOut && r.function != mf::kExtTextOut) return false;
  TextRecord t;
  if (readText(r, &t)) draw(t);
  return true;
}

void TextRecords::draw(const TextRecord& t) {
  MfDcState& dc = c_->dc;
  const MetafileMapping& m = c_->mapping;
  QPainter* painter = c_->painter();
  const QRectF* logicalRect = t.hasRect ? &t.rect : nullptr;
  if ((t.options & mf::kOpaque) && logicalRect) {
    QRectF box = m.mapRect(*logicalRect);
    if (c_->charge(box)) painter->fillRect(box, c_->color(dc.bkColor));
  }
  QVector<Piece> pieces = decode(t.text);
  if (pieces.isEmpty() || c_->exhausted() || !c_->chargeText(pieces.size())) return;
  Face face = this->face();
  const QFont& f = face.font;
  qreal stretch = face.stretch;
  if (face.pixelHeight < 0.5) return;
  QFontMetricsF metrics(f, painter->device());
  bool updateCp = dc.textAlign & kUpdateCp;
  QPointF logical = updateCp ? dc.position : t.at;
  QPointF origin = m.map(logical);

  // Each character's place on the baseline: from the advance array (x, or x and y pairs,
  // one per byte) when the file gives one, else the face's advances and the extra spacing.
  const ByteView& dx = t.advances;
  bool pairs = t.options & mf::kPdy;
  int step = pairs ? 4 : 2;
  bool spaced = dx.has(0, qsizetype(qMin<qsizetype>(t.text.size(), kMaxChars)) * step);
  qreal extra = dc.charExtra * qAbs(m.sx());
  QVector<QPointF> offsets;
  offsets.reserve(pieces.size());
  QVector<qreal> given;  // each character's advance from the array
  qreal width = 0, rise = 0;
  for (const Piece& piece : pieces) {
    offsets.append(QPointF(width, rise));
    if (!spaced) {
      width += metrics.horizontalAdvance(piece.text) * stretch + extra;
      continue;
    }
    qreal advance = 0;
    for (int b = piece.firstByte; b < piece.firstByte + piece.bytes; ++b) {
      advance += dx.s16(b * step) * qAbs(m.sx());
      if (pairs) rise -= dx.s16(b * step + 2) * qAbs(m.sy());
    }
    given.append(advance);
    width += advance;
  }
  QVector<QPointF> drawn = offsets;  // where the glyphs are drawn
  if (spaced) {
    QVector<qreal> natural;
    fitToAdvances(&pieces, given, metrics, face.standIn, &stretch, &natural);
    // A stand-in for a fixed-pitch face centres each glyph in its cell, as the named
    // face's glyphs stand in theirs.
    for (int i = 0; i < pieces.size() && face.fixedPitch && face.standIn; ++i)
      if (given[i] > 0) drawn[i].rx() += (given[i] - natural[i] * stretch * pieces[i].fit) / 2;
  }
  int hAlign = dc.textAlign & 0x0006, vAlign = dc.textAlign & 0x0018;
  qreal x = hAlign == 0x0006 ? -width / 2 : hAlign == 0x0002 ? -width : 0;
  qreal y = vAlign == 0x0018 ? 0 : vAlign == 0x0008 ? -metrics.descent() : metrics.ascent();
  QRectF box(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent());
  qreal reach = qAbs(box.width()) + box.height() + qAbs(rise);
  if (!c_->charge(QRectF(origin - QPointF(reach, reach), QSizeF(2, 2) * reach))) return;
  if (face.pixelHeight <= kGridTextPixels && dc.font.escapement == 0)
    placeOnGrid(&pieces, &drawn, f, face.pixelHeight, origin + QPointF(x, y), &stretch);

  painter->save();
  if ((t.options & mf::kClipped) && logicalRect)
    painter->setClipRect(m.mapRect(*logicalRect), dc.clipped ? Qt::IntersectClip : Qt::ReplaceClip);
  painter->translate(origin);
  // Escapement turns the baseline; the glyphs turn with it, as in the compatible mode.
  painter->rotate(-dc.font.escapement / 10.0);
  if (dc.bkOpaque && !(t.options & mf::kOpaque)) painter->fillRect(box, c_->color(dc.bkColor));
  painter->setFont(f);
  painter->setPen(c_->color(dc.textColor));
  drawPieces(painter, pieces, drawn, QPointF(x, y), stretch);
  // Lines across the whole run, gaps between spaced glyphs included.
  qreal line = qMax<qreal>(1, metrics.lineWidth());
  if (dc.font.underline)
    painter->fillRect(QRectF(x, y + metrics.underlinePos(), width, line), c_->color(dc.textColor));
  if (dc.font.strikeOut)
    painter->fillRect(QRectF(x, y - metrics.strikeOutPos(), width, line), c_->color(dc.textColor));
  painter->restore();
  if (runs_ && spaced && dc.font.escapement == 0)
    recordRun(pieces, offsets, drawn, f, origin, QPointF(x, y), width, stretch);
  if (updateCp && m.sx() != 0) dc.position = logical + QPointF(width / m.sx(), 0);
}

void TextRecords::drawPieces(QPainter* painter, const QVector<Piece>& pieces,
                             const QVector<QPointF>& offsets, QPointF at, qreal stretch) {
  // A condensed or widened face is the face drawn narrower or wider.
  const QTransform base = painter->transform();
  for (int i = 0; i < pieces.size(); ++i) {
    qreal scale = stretch * pieces[i].fit;
    if (scale == 1) {
      painter->drawText(at + offsets[i], pieces[i].text);
      continue;
    }
    painter->translate(at + offsets[i]);
    painter->scale(scale, 1);
    painter->drawText(QPointF(0, 0), pieces[i].text);
    painter->setTransform(base);
  }
}

void TextRecords::recordRun(const QVector<Piece>& pieces, const QVector<QPointF>& offsets,
                            const QVector<QPointF>& drawn, const QFont& font, QPointF origin,
                            QPointF at, qreal width, qreal stretch) {
  // The run drawn again alone, to find the pixels its glyphs ink.
  QPaintDevice* device = c_->painter()->device();
  qreal em = QFontMetricsF(font, device).height();
  qreal low = 0, high = 0;
  for (const QPointF& o : offsets) low = qMin(low, o.y()), high = qMax(high, o.y());
  QRect area =
      QRectF(QPointF(origin.x() + at.x() - 2 * em, origin.y() + at.y() + low - 2 * em),
             QPointF(origin.x() + at.x() + width + 2 * em, origin.y() + at.y() + high + 2 * em))
          .toAlignedRect();
  if (area.isEmpty() || area.width() > 8192 || area.height() > 8192) return;
  QImage scratch(area.size(), QImage::Format_ARGB32_Premultiplied);
  scratch.fill(Qt::transparent);
  QPainter painter(&scratch);
  painter.setRenderHints(c_->painter()->renderHints());
  painter.translate(origin - QPointF(area.topLeft()));
  painter.setFont(font);
  painter.setPen(Qt::black);
  drawPieces(&painter, pieces, drawn, at, stretch);
  painter.end();
  QRect ink;
  for (int y = 0; y < scratch.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
    for (int x = 0; x < scratch.width(); ++x)
      if (qAlpha(row[x]) > 127) ink |= QRect(x, y, 1, 1);
  }
  MetafileTextRun run;
  for (const Piece& piece : pieces) run.text += piece.text;
  run.start = origin.x() + at.x();
  run.lastStart = run.start + offsets.last().x();
  run.end = run.start + width;
  run.em = QFontInfo(font).pixelSize();
  const Piece& last = pieces.last();
  run.lastOwnAdvance =
      QFontMetricsF(font, device).horizontalAdvance(last.text) * stretch * last.fit;
  if (!ink.isNull()) run.ink = QRectF(ink.translated(area.topLeft()));
  runs_->push_back(run);
}
