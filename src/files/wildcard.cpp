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
    if (!isAscii(folded)) continue;
    asciiPatterns_.push_back(folded.toStdString());
    const std::string& ascii = asciiPatterns_.back();
    if (ascii.size() > 1 && ascii[0] == '*' && ascii.find_first_of("*?", 1) == std::string::npos) {
      endings_.push_back(ascii.substr(1));
      endingsByLast_[static_cast<unsigned char>(ascii.back())].push_back(endings_.size() - 1);
    }
  }
}

// An ASCII byte at the end of UTF-8 text is a character of its own, and folds to itself
// only if it is no capital: so an ASCII ending decides such a pattern exactly. Compared
// from the end, the first ASCII byte that differs rules an ending out; a byte of a wider
// character met before that leaves it to the full match.
int PatternList::matchByEnding(QByteArrayView nativeName) const {
  if (endings_.empty() || endings_.size() != size_t(patterns_.size())) return -1;
  if (nativeName.isEmpty()) return 0;
  const auto last = static_cast<unsigned char>(nativeName.back());
  if (last >= 0x80) return -1;
  bool undecided = false;
  // Only the endings with the name's last character: most names end in none of them.
  for (const size_t e : endingsByLast_[static_cast<unsigned char>(lowered(char(last)))]) {
    const std::string& ending = endings_[e];
    if (size_t(nativeName.size()) < ending.size()) continue;
    const char* tail = nativeName.data() + nativeName.size() - ending.size();
    size_t i = ending.size();
    while (i > 0 && static_cast<unsigned char>(tail[i - 1]) < 0x80 &&
           lowered(tail[i - 1]) == ending[i - 1]) {
      --i;
    }
    if (i == 0) return 1;
    undecided = undecided || static_cast<unsigned char>(tail[i - 1]) >= 0x80;
  }
  return undecided ? -1 : 0;
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
  const int byEnding = matchByEnding(nativeName);
  if (byEnding >= 0) return byEnding == 1;
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
