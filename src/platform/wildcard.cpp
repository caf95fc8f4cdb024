#include "platform/wildcard.h"

PatternList::PatternList(const QString& list) {
  for (const QString& p : list.split(';')) {
    const QString t = p.trimmed();
    if (!t.isEmpty()) patterns_.append(t.toCaseFolded());
  }
}

bool PatternList::matches(const QString& name) const {
  const QString folded = name.toCaseFolded();
  for (const QString& p : patterns_) {
    if (wildcardMatch(p, folded)) return true;
  }
  return false;
}

// Iterative matcher with single backtrack point: linear in practice, no recursion.
bool wildcardMatch(const QString& pattern, const QString& name) {
  qsizetype p = 0, n = 0, starP = -1, starN = 0;
  const qsizetype pl = pattern.size(), nl = name.size();
  while (n < nl) {
    if (p < pl && (pattern[p] == '?' || pattern[p] == name[n])) {
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
