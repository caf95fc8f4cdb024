// Fonts and text of the metafile player.
#include <QFontMetricsF>
#include <QStringDecoder>

#include <cmath>

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

// Greek letters of the symbol face, upper case A..Z then lower case a..z.
const char16_t kSymbolLetters[52] = {
    0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A,
    0x039B, 0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2,
    0x03A9, 0x039E, 0x03A8, 0x0396, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1,
    0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6};

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

QString genericFamily(const QString& face, int pitchAndFamily, QFont::StyleHint* hint) {
  static const char* kSans[] = {"ms sans serif", "arial",        "helvetica",    "tahoma",
                                "verdana",       "system",       "ms shell dlg", "segoe ui",
                                "calibri",       "univers",      "swiss",        "geneva",
                                "lucida sans",   "arial narrow", "small fonts"};
  static const char* kSerif[] = {
      "times new roman", "times",        "ms serif", "tms rmn", "georgia",           "cambria",
      "roman",           "book antiqua", "garamond", "century", "bookman old style", "palatino"};
  static const char* kMono[] = {"courier new", "courier",  "lucida console", "consolas",
                                "fixedsys",    "terminal", "modern"};
  QString lower = face.toLower();
  for (const char* name : kSans)
    if (lower == QLatin1String(name)) return *hint = QFont::SansSerif, QStringLiteral("Sans Serif");
  for (const char* name : kSerif)
    if (lower == QLatin1String(name)) return *hint = QFont::Serif, QStringLiteral("Serif");
  for (const char* name : kMono)
    if (lower == QLatin1String(name)) return *hint = QFont::Monospace, QStringLiteral("Monospace");
  switch (pitchAndFamily & 0xF0) {
    case 0x10:
      *hint = QFont::Serif;
      return face.isEmpty() ? QStringLiteral("Serif") : face;
    case 0x30:
      *hint = QFont::Monospace;
      return face.isEmpty() ? QStringLiteral("Monospace") : face;
    default:
      *hint = QFont::SansSerif;
      return face.isEmpty() ? QStringLiteral("Sans Serif") : face;
  }
}

}  // namespace

QFont MetafilePlayer::font(qreal* pixelHeight) const {
  const MfFont& mf = dc_.font;
  qreal px;
  if (mf.height < 0)
    px = -mf.height * qAbs(sy_);  // character height: the em size
  else if (mf.height > 0)
    px = mf.height * qAbs(sy_) * 0.86;  // cell height includes the internal leading
  else
    px = 12 * pixelScale_;  // the default face: twelve pixels at natural size
  *pixelHeight = qMin<qreal>(px, 4 * qMax(size_.width(), size_.height()) + 16);
  QFont::StyleHint hint = QFont::SansSerif;
  QFont f(genericFamily(mf.face, mf.pitchAndFamily, &hint));
  f.setStyleHint(hint);
  f.setPointSizeF(qMax<qreal>(0.1, *pixelHeight * 72.0 / p_->device()->logicalDpiY()));
  f.setWeight(QFont::Weight(mf.weight <= 0 ? 400 : qBound(1, mf.weight, 1000)));
  f.setItalic(mf.italic);
  f.setUnderline(mf.underline);
  f.setStrikeOut(mf.strikeOut);
  if (mf.width > 0 && *pixelHeight > 1) {
    qreal natural = QFontMetricsF(f, p_->device()).averageCharWidth();
    if (natural > 0) f.setStretch(qBound(1, qRound(100 * mf.width * qAbs(sx_) / natural), 4000));
  }
  if (dc_.charExtra != 0) f.setLetterSpacing(QFont::AbsoluteSpacing, dc_.charExtra * qAbs(sx_));
  return f;
}

QString MetafilePlayer::decodeText(const ByteView& bytes) const {
  QByteArray raw(reinterpret_cast<const char*>(bytes.data()),
                 int(qMin<qsizetype>(bytes.size(), kMaxChars)));
  bool symbol = dc_.font.charset == 2 ||
                dc_.font.face.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
  if (const char* codec = codecFor(dc_.font.charset)) {
    QStringDecoder decoder(codec);
    if (decoder.isValid()) return QString(decoder(raw)).remove(QChar(0));
  }
  QString text;
  text.reserve(raw.size());
  for (char ch : raw) {
    uchar c = uchar(ch);
    if (c == 0) continue;
    if (symbol && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
      text += QChar(kSymbolLetters[c <= 'Z' ? c - 'A' : 26 + c - 'a']);
    else if (c >= 0x80 && c < 0xA0)
      text += QChar(kCp1252High[c - 0x80]);
    else
      text += QChar(c);
  }
  return text;
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
  QString text = decodeText(bytes);
  if (text.isEmpty() || exhausted_) return;
  textBudget_ -= text.size();
  if (textBudget_ < 0) return;
  qreal pixelHeight;
  QFont f = font(&pixelHeight);
  if (pixelHeight < 0.5) return;
  QFontMetricsF metrics(f, p_->device());
  bool updateCp = dc_.textAlign & kUpdateCp;
  if (updateCp) logical = dc_.position;
  QPointF origin = map(logical.x(), logical.y());

  // Per-character offsets from the spacing array (x, or x and y pairs), else the font's own.
  bool pairs = options & kPdy;
  int step = pairs ? 4 : 2;
  bool spaced = dx.has(0, qsizetype(text.size()) * step);
  QVector<QPointF> offsets;
  qreal width = 0, rise = 0;
  if (spaced) {
    for (int i = 0; i < text.size(); ++i) {
      offsets.append(QPointF(width, rise));
      width += dx.s16(i * step) * qAbs(sx_);
      if (pairs) rise -= dx.s16(i * step + 2) * qAbs(sy_);
    }
  } else {
    width = metrics.horizontalAdvance(text);
  }
  int hAlign = dc_.textAlign & 0x0006, vAlign = dc_.textAlign & 0x0018;
  qreal x = hAlign == 0x0006 ? -width / 2 : hAlign == 0x0002 ? -width : 0;
  qreal y = vAlign == 0x0018 ? 0 : vAlign == 0x0008 ? -metrics.descent() : metrics.ascent();
  QRectF box(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent());
  if (!charge(QRectF(origin - QPointF(box.width() + box.height(), box.width() + box.height()),
                     QSizeF(2, 2) * (box.width() + box.height()))))
    return;

  p_->save();
  if ((options & kClipped) && logicalRect) {
    QRectF clip = mapRect(logicalRect->left(), logicalRect->top(), logicalRect->right(),
                          logicalRect->bottom());
    p_->setClipRect(clip, dc_.clipped ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  p_->translate(origin);
  p_->rotate(-dc_.font.escapement / 10.0);
  if (dc_.bkOpaque && !(options & kOpaque)) p_->fillRect(box, color(dc_.bkColor));
  p_->setFont(f);
  p_->setPen(color(dc_.textColor));
  if (spaced) {
    for (int i = 0; i < text.size(); ++i)
      p_->drawText(QPointF(x, y) + offsets[i], QString(text[i]));
  } else {
    p_->drawText(QPointF(x, y), text);
  }
  p_->restore();
  if (updateCp && sx_ != 0) dc_.position = logical + QPointF(width / sx_, 0);
}
