#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <array>
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
  // The answer from the end of a name alone for patterns such as "*.jpg"; -1 when the end
  // is not plain ASCII, or other patterns must be asked.
  int matchByEnding(QByteArrayView nativeName) const;

  QStringList patterns_;                    // case-folded
  std::vector<std::string> asciiPatterns_;  // those of them that are plain ASCII
  std::vector<std::string> endings_;        // of those, the ones that are "*" and plain text
  std::array<std::vector<size_t>, 128> endingsByLast_;  // of `endings_`, by their last character
  bool everything_ = false;
};

bool wildcardMatch(const QString& pattern, const QString& name);
