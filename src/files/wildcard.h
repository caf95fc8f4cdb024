#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

// A ";"-separated list of wildcard patterns ("*" any run, "?" one character),
// matched case-insensitively; blanks around each pattern are ignored, and "*.*"
// stands for every name, with or without a dot.
class PatternList {
 public:
  PatternList() = default;
  explicit PatternList(const QString& list);
  bool matches(const QString& name) const;
  // A name as the file system's bytes; ASCII names are matched without becoming text.
  bool matches(QByteArrayView nativeName) const;

 private:
  QStringList patterns_;                    // case-folded
  std::vector<std::string> asciiPatterns_;  // those of them that are plain ASCII
  bool everything_ = false;
};

bool wildcardMatch(const QString& pattern, const QString& name);
