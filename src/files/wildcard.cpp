#include "files/wildcard.h"

#include "files/filenames.h"

namespace {

bool isAscii(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() >= 0x80) return false;
  }
  return true;
}

char lowered(char c) {
  return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// The one matcher: '*' any run, '?' any one character; iterative with a single backtrack
// point, so linear in practice and never recursive. `fold` prepares each name character
// (the pattern is folded already).
template <typename Pattern, typename Name, typename Fold>
bool globMatch(const Pattern& pattern, const Name& name, Fold fold) {
  const qsizetype pl = qsizetype(pattern.size()), nl = qsizetype(name.size());
  qsizetype p = 0, n = 0, starP = -1, starN = 0;
  while (n < nl) {
    if (p < pl && (pattern[p] == '?' || pattern[p] == fold(name[n]))) {
      ++p;
      ++n;
    } else if (p < pl && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP >= 0) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pl && pattern[p] == '*') ++p;
  return p == pl;
}

}  // namespace

PatternList::PatternList(const QString& list) {
  for (const QString& p : list.split(';')) {
    const QString t = p.trimmed();
    if (t.isEmpty()) continue;
    if (t == QLatin1String("*.*") || t == QLatin1String("*")) everything_ = true;
    const QString folded = t.toCaseFolded();
    patterns_.append(folded);
    if (isAscii(folded)) asciiPatterns_.push_back(folded.toStdString());
  }
}

bool PatternList::matches(const QString& name) const {
  if (everything_) return true;
  const QString folded = name.toCaseFolded();
  for (const QString& p : patterns_) {
    if (wildcardMatch(p, folded)) return true;
  }
  return false;
}

bool PatternList::matches(QByteArrayView nativeName) const {
  if (everything_) return true;
  for (const char c : nativeName) {
    if (static_cast<unsigned char>(c) >= 0x80) return matches(decodeFileName(nativeName));
  }
  // An ASCII name can only match patterns whose folded form is ASCII too.
  for (const std::string& p : asciiPatterns_) {
    if (globMatch(p, nativeName, lowered)) return true;
  }
  return false;
}

bool wildcardMatch(const QString& pattern, const QString& name) {
  return globMatch(pattern, name, [](QChar c) { return c; });
}
