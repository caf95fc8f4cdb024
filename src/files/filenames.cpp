#include "files/filenames.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <array>
#include <optional>

namespace {

bool isAscii(QByteArrayView bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Length of the well-formed UTF-8 sequence at `s[i]`, or 0 when it is not one.
int utf8SequenceAt(const unsigned char* s, qsizetype i, qsizetype n) {
  const unsigned char b0 = s[i];
  int need = 0;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b0 < 0x80) return 1;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;  // no encoded surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + need >= n) return 0;
  for (int k = 1; k <= need; ++k) {
    const unsigned char b = s[i + k];
    if (k == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) return 0;
  }
  return need + 1;
}

void appendUtf8(QByteArray& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// One per thread: folders are read and sorted on reader threads too.
const QCollator& nameCollator() {
  thread_local std::optional<QCollator> collator;
  const QLocale current;
  if (!collator || collator->locale() != current) {
    collator.emplace(current);
    collator->setCaseSensitivity(Qt::CaseInsensitive);
  }
  return *collator;
}

// Where a character usually falls in the name order: ASCII roughly as the common
// collation places it (blanks, punctuation, symbols, digits, then letters without
// regard to case), everything else after. Only a first guess; the exact order is the
// collator's.
int roughWeight(QChar c) {
  static const auto table = [] {
    std::array<short, 128> t{};
    const char order[] =
        "\t\n\v\f\r _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~$0123456789abcdefghijklmnopqrstuvwxyz";
    for (int i = 0; i < 128; ++i) t[size_t(i)] = short(i);  // controls first
    for (size_t i = 0; order[i] != 0; ++i) t[size_t(order[i])] = short(200 + i);
    for (char ch = 'A'; ch <= 'Z'; ++ch) t[size_t(ch)] = t[size_t(ch - 'A' + 'a')];
    return t;
  }();
  const char16_t u = c.unicode();
  return u < 128 ? table[u] : 1000 + u;
}

}  // namespace

QString decodeFileName(QByteArrayView bytes) {
  if (isAscii(bytes)) return QString::fromLatin1(bytes.data(), bytes.size());
  QString out;
  appendFileName(out, bytes);
  return out;
}

void appendFileName(QString& text, QByteArrayView bytes) {
  if (isAscii(bytes)) {
    text.append(QLatin1StringView(bytes.data(), bytes.size()));
    return;
  }
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype n = bytes.size();
  const qsizetype from = text.size();
  text.resize(from + n);  // no more characters than bytes
  char16_t* out = reinterpret_cast<char16_t*>(text.data()) + from;
  for (qsizetype i = 0; i < n;) {
    const int len = utf8SequenceAt(s, i, n);
    if (len == 0) {
      *out++ = char16_t(0xDC00 + s[i]);  // a byte that is no character
      ++i;
      continue;
    }
    static constexpr unsigned char kLead[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t cp = s[i] & kLead[len];
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    if (QChar::requiresSurrogates(cp)) {
      *out++ = QChar::highSurrogate(cp);
      *out++ = QChar::lowSurrogate(cp);
    } else {
      *out++ = char16_t(cp);
    }
    i += len;
  }
  text.truncate(out - reinterpret_cast<const char16_t*>(text.constData()));
}

QByteArray encodeFileName(QStringView name) {
  QByteArray out;
  encodeFileName(name, out);
  return out;
}

void encodeFileName(QStringView name, QByteArray& out) {
  out.resize(name.size());
  char* to = out.data();
  for (const QChar c : name) {
    if (c.unicode() >= 0x80) break;
    *to++ = char(c.unicode());
  }
  if (to - out.constData() == name.size()) return;  // all ASCII
  out.resize(0);
  out.reserve(name.size() * 3);
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t u = name[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
      appendUtf8(out, QChar::surrogateToUcs4(u, name[i + 1].unicode()));
      ++i;
    } else if (u >= 0xDC80 && u <= 0xDCFF) {
      out += char(u - 0xDC00);  // an escaped byte goes back as it was
    } else if (QChar::isSurrogate(u)) {
      appendUtf8(out, 0xFFFD);
    } else {
      appendUtf8(out, u);
    }
  }
}

QString joinPath(const QString& folder, const QString& name) {
  return withTrailingSeparator(folder) + name;
}

QString withTrailingSeparator(const QString& folder) {
  if (endsWithSeparator(folder)) return folder;
  return folder + QLatin1Char('/');
}

// A backslash is an ordinary character of a POSIX name; only Windows drive roots end in one.
bool endsWithSeparator(QStringView folder) {
#ifdef Q_OS_WIN
  if (folder.endsWith(u'\\')) return true;
#endif
  return folder.endsWith(u'/');
}

NameOrder::NameOrder() : collator_(nameCollator()) {}

bool NameOrder::roughlyBefore(QStringView a, QStringView b) {
  const qsizetype n = std::min(a.size(), b.size());
  for (qsizetype i = 0; i < n; ++i) {
    const int wa = roughWeight(a[i]), wb = roughWeight(b[i]);
    if (wa != wb) return wa < wb;
  }
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// Each of the first eight characters' guessed weight in a byte, 0 past the end (a shorter
// name first), those outside ASCII all alike.
quint64 NameOrder::roughKey(QStringView name) {
  constexpr int kChars = 8;
  quint64 key = 0;
  for (int i = 0; i < kChars; ++i) {
    unsigned byte = 0;
    if (i < name.size()) {
      const int w = roughWeight(name[i]);
      byte = w < 200 ? 1u : w < 200 + 250 ? unsigned(w - 200 + 2) : 255u;
    }
    key = (key << 8) | byte;
  }
  return key;
}

bool NameOrder::before(QStringView a, QStringView b) const {
  const int r = collator_.compare(a, b);
  return r != 0 ? r < 0 : a < b;
}

void sortNames(NameList& names) {
  thread_local std::vector<qsizetype> from;
  names.sort(from);
}

qsizetype NameList::indexOf(QStringView name) const {
  for (qsizetype i = 0; i < size(); ++i) {
    if (at(i) == name) return i;
  }
  return -1;
}

void NameList::appendFileName(QByteArrayView bytes) {
  const qsizetype from = text_.size();
  ::appendFileName(text_, bytes);
  spans_.push_back({from, text_.size() - from});
}

void NameList::reserve(qsizetype names, qsizetype characters) {
  spans_.reserve(size_t(names));
  text_.reserve(characters);
}

void NameList::clear() {
  text_.clear();
  spans_.clear();
}

void NameList::sort(std::vector<qsizetype>& from) {
  from.resize(spans_.size());
  for (size_t i = 0; i < from.size(); ++i) from[i] = qsizetype(i);
  sortByName(from, [this](qsizetype i) { return at(i); });
  thread_local std::vector<Span> before;  // kept for the thread's next sort
  before.assign(spans_.begin(), spans_.end());
  for (size_t i = 0; i < from.size(); ++i) spans_[i] = before[size_t(from[i])];
}
