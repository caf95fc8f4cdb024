#pragma once

#include <QString>
#include <QStringList>

// A ";"-separated list of wildcard patterns ("*" any run, "?" one character),
// matched case-insensitively; blanks around each pattern are ignored.
class PatternList {
 public:
  explicit PatternList(const QString& list);
  bool matches(const QString& name) const;

 private:
  QStringList patterns_;
};

bool wildcardMatch(const QString& pattern, const QString& name);
