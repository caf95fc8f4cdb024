// Fonts and text of the metafile player.
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QStringDecoder>

#include <cmath>

#include "pictures/metafile/metafilefaces.h"
#include "pictures/metafile/metafileplayer.h"

namespace {

constexpr int kOpaque = 0x0002, kClipped = 0x0004, kPdy = 0x2000;
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

// The faces that draw a symbol face's characters: its mathematics, arrows and dingbats.
QStringList symbolFamilies(SymbolSet set) {
  if (set == SymbolSet::Symbol)
    return {QStringLiteral("Liberation Serif"), QStringLiteral("OpenSymbol"),
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
// the glyph are the file's deliberate overlap and left alone.
void fitToAdvances(QVector<MetafilePlayer::TextPiece>* pieces, const QVector<qreal>& given,
                   const QFontMetricsF& metrics, bool standIn, qreal* stretch) {
  QVector<qreal> natural;
  natural.reserve(pieces->size());
  qreal naturalWidth = 0, givenWidth = 0;
  for (int i = 0; i < pieces->size(); ++i) {
    natural.append(metrics.horizontalAdvance((*pieces)[i].text));
    naturalWidth += natural.last();
    givenWidth += given[i];
  }
  if (*stretch > 1 && naturalWidth * *stretch > givenWidth && naturalWidth > 0)
    *stretch = qMax<qreal>(1, givenWidth / naturalWidth);
  for (int i = 0; i < pieces->size() && standIn; ++i) {
    qreal drawn = natural[i] * *stretch;
    if (given[i] > 0 && drawn > given[i] + 0.5)
      (*pieces)[i].fit = qMax<qreal>(0.5, given[i] / drawn);
  }
}

}  // namespace

QFont MetafilePlayer::font(qreal* pixelHeight, qreal* stretch, bool* standIn) const {
  const MfFont& mf = dc_.font;
  SymbolSet set = symbolSetFor(mf.face, mf.charset);
  MfFace face;
  if (set == SymbolSet::None)
    face = resolveFace(mf.face, mf.pitchAndFamily);
  else
    face.families = symbolFamilies(set);
  *standIn = !face.sameMetrics;
  QFont f;
  f.setFamilies(face.families);
  f.setStyleHint(face.hint);
  f.setWeight(QFont::Weight(mf.weight <= 0 ? 400 : qBound(1, mf.weight, 1000)));
  f.setItalic(mf.italic);
  // Glyphs go where the file's layout puts them: no kerning, no advances rounded by hinting.
  f.setKerning(false);
  f.setHintingPreference(QFont::PreferNoHinting);
  qreal px;
  if (mf.height < 0)
    px = -mf.height * qAbs(sy_);  // character height: the em size
  else if (mf.height > 0)
    px = mf.height * qAbs(sy_) * emPerCell(f);  // cell height: ascent plus descent
  else
    px = 12 * pixelScale_;  // the default face: twelve pixels at natural size
  *pixelHeight = qMin<qreal>(px, 4 * qMax(size_.width(), size_.height()) + 16);
  f.setPointSizeF(qMax<qreal>(0.1, *pixelHeight * 72.0 / p_->device()->logicalDpiY()));
  *stretch = face.stretch;
  // A width is the average character width asked for: the face is condensed or widened.
  if (mf.width != 0 && *pixelHeight > 1) {
    qreal natural = averageWidthPerEm(f) * *pixelHeight;
    if (natural > 0) *stretch = qBound<qreal>(0.02, qAbs(mf.width) * qAbs(sx_) / natural, 50);
  }
  return f;
}

QVector<MetafilePlayer::TextPiece> MetafilePlayer::decodeText(const ByteView& bytes) const {
  int count = int(qMin<qsizetype>(bytes.size(), kMaxChars));
  QVector<TextPiece> pieces;
  pieces.reserve(count);
  SymbolSet set = symbolSetFor(dc_.font.face, dc_.font.charset);
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
  if (const char* codec = codecFor(dc_.font.charset)) {
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
bool MetafilePlayer::dispatchText(const MetafileRecord& r) {
  const ByteView& p = r.params;
  if (r.function == mf::kTextOut) {
    int count = qMax(0, int(p.s16(0)));
    qsizetype padded = (count + 1) & ~1;
    if (!p.has(2, padded + 4)) return true;
    drawText(QPointF(p.s16(2 + padded + 2), p.s16(2 + padded)), p.mid(2, count), ByteView(), 0,
             nullptr);
    return true;
  }
  if (r.function != mf::kExtTextOut) return false;
  if (!p.has(0, 8)) return true;
  int count = qMax(0, int(p.s16(4)));
  int options = p.u16(6);
  qsizetype at = 8;
  QRectF rect;
  if ((options & (kOpaque | kClipped)) && p.has(8, 8)) {
    rect = QRectF(QPointF(p.s16(8), p.s16(10)), QPointF(p.s16(12), p.s16(14)));
    at = 16;
  }
  ByteView text = p.mid(at, count);
  ByteView dx = p.mid(at + ((count + 1) & ~1));
  drawText(QPointF(p.s16(2), p.s16(0)), text, dx, options, at == 16 ? &rect : nullptr);
  return true;
}

void MetafilePlayer::drawText(QPointF logical, const ByteView& bytes, const ByteView& dx,
                              int options, const QRectF* logicalRect) {
  if ((options & kOpaque) && logicalRect) {
    QRectF box = mapRect(logicalRect->left(), logicalRect->top(), logicalRect->right(),
                         logicalRect->bottom());
    if (charge(box)) p_->fillRect(box, color(dc_.bkColor));
  }
  QVector<TextPiece> pieces = decodeText(bytes);
  if (pieces.isEmpty() || exhausted_) return;
  textBudget_ -= pieces.size();
  if (textBudget_ < 0) return;
  qreal pixelHeight, stretch;
  bool standIn;
  QFont f = font(&pixelHeight, &stretch, &standIn);
  if (pixelHeight < 0.5) return;
  QFontMetricsF metrics(f, p_->device());
  bool updateCp = dc_.textAlign & kUpdateCp;
  if (updateCp) logical = dc_.position;
  QPointF origin = map(logical.x(), logical.y());

  // Each character's place on the baseline: from the advance array (x, or x and y pairs,
  // one per byte) when the file gives one, else the face's advances and the extra spacing.
  bool pairs = options & kPdy;
  int step = pairs ? 4 : 2;
  bool spaced = dx.has(0, qsizetype(qMin<qsizetype>(bytes.size(), kMaxChars)) * step);
  qreal extra = dc_.charExtra * qAbs(sx_);
  QVector<QPointF> offsets;
  offsets.reserve(pieces.size());
  QVector<qreal> given;  // each character's advance from the array
  qreal width = 0, rise = 0;
  for (const TextPiece& piece : pieces) {
    offsets.append(QPointF(width, rise));
    if (!spaced) {
      width += metrics.horizontalAdvance(piece.text) * stretch + extra;
      continue;
    }
    qreal advance = 0;
    for (int b = piece.firstByte; b < piece.firstByte + piece.bytes; ++b) {
      advance += dx.s16(b * step) * qAbs(sx_);
      if (pairs) rise -= dx.s16(b * step + 2) * qAbs(sy_);
    }
    given.append(advance);
    width += advance;
  }
  if (spaced) fitToAdvances(&pieces, given, metrics, standIn, &stretch);
  int hAlign = dc_.textAlign & 0x0006, vAlign = dc_.textAlign & 0x0018;
  qreal x = hAlign == 0x0006 ? -width / 2 : hAlign == 0x0002 ? -width : 0;
  qreal y = vAlign == 0x0018 ? 0 : vAlign == 0x0008 ? -metrics.descent() : metrics.ascent();
  QRectF box(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent());
  qreal reach = qAbs(box.width()) + box.height() + qAbs(rise);
  if (!charge(QRectF(origin - QPointF(reach, reach), QSizeF(2, 2) * reach))) return;

  p_->save();
  if ((options & kClipped) && logicalRect) {
    QRectF clip = mapRect(logicalRect->left(), logicalRect->top(), logicalRect->right(),
                          logicalRect->bottom());
    p_->setClipRect(clip, dc_.clipped ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  p_->translate(origin);
  // Escapement turns the baseline; the glyphs turn with it, as in the compatible mode.
  p_->rotate(-dc_.font.escapement / 10.0);
  if (dc_.bkOpaque && !(options & kOpaque)) p_->fillRect(box, color(dc_.bkColor));
  p_->setFont(f);
  p_->setPen(color(dc_.textColor));
  drawPieces(p_, pieces, offsets, QPointF(x, y), stretch);
  // Lines across the whole run, gaps between spaced glyphs included.
  qreal line = qMax<qreal>(1, metrics.lineWidth());
  if (dc_.font.underline)
    p_->fillRect(QRectF(x, y + metrics.underlinePos(), width, line), color(dc_.textColor));
  if (dc_.font.strikeOut)
    p_->fillRect(QRectF(x, y - metrics.strikeOutPos(), width, line), color(dc_.textColor));
  p_->restore();
  if (runs_ && spaced && dc_.font.escapement == 0)
    recordRun(pieces, offsets, f, origin, QPointF(x, y), width, stretch);
  if (updateCp && sx_ != 0) dc_.position = logical + QPointF(width / sx_, 0);
}

void MetafilePlayer::drawPieces(QPainter* painter, const QVector<TextPiece>& pieces,
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

void MetafilePlayer::recordRun(const QVector<TextPiece>& pieces, const QVector<QPointF>& offsets,
                               const QFont& font, QPointF origin, QPointF at, qreal width,
                               qreal stretch) {
  // The run drawn again alone, to find the pixels its glyphs ink.
  qreal em = QFontMetricsF(font, p_->device()).height();
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
  painter.setRenderHints(p_->renderHints());
  painter.translate(origin - QPointF(area.topLeft()));
  painter.setFont(font);
  painter.setPen(Qt::black);
  drawPieces(&painter, pieces, offsets, at, stretch);
  painter.end();
  QRect ink;
  for (int y = 0; y < scratch.height(); ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
    for (int x = 0; x < scratch.width(); ++x)
      if (qAlpha(row[x]) > 127) ink |= QRect(x, y, 1, 1);
  }
  MetafileTextRun run;
  for (const TextPiece& piece : pieces) run.text += piece.text;
  run.start = origin.x() + at.x();
  run.lastStart = run.start + offsets.last().x();
  run.end = run.start + width;
  run.em = QFontInfo(font).pixelSize();
  const TextPiece& last = pieces.last();
  run.lastOwnAdvance =
      QFontMetricsF(font, p_->device()).horizontalAdvance(last.text) * stretch * last.fit;
  if (!ink.isNull()) run.ink = QRectF(ink.translated(area.topLeft()));
  runs_->push_back(run);
}
