#pragma once

#include <QString>

#include "controls/lists/linestore.h"
#include "controls/lists/listbox.h"

// The files a search found, kept as the facts their lines show (folder, name, length),
// and the two ways the result lists show them: List1 a folder line and a file line for
// each file, List2 its path. A line is composed only when it is read or drawn.
class FoundFiles {
 public:
  // A folder passed again as the same QString object is stored once for all its files.
  void add(const QString& folder, QStringView name, qint64 length) {
    files_.add(folder, name, length);
  }
  void clear() { files_.clear(); }
  qsizetype size() const { return files_.size(); }

  const LineSource& resultLines() const { return result_; }
  const LineSource& pathLines() const { return paths_; }

 private:
  struct ResultLines : LineSource {
    explicit ResultLines(const LineStore& files) : files(files) {}
    qsizetype lineCount() const override { return 2 * files.size(); }
    QString line(qsizetype index) const override;
    qreal width(qsizetype index, TextWidths& widths, qreal widest) const override;
    const LineStore& files;
  };
  struct PathLines : LineSource {
    explicit PathLines(const LineStore& files) : files(files) {}
    qsizetype lineCount() const override { return files.size(); }
    QString line(qsizetype index) const override;
    const LineStore& files;
  };

  LineStore files_;  // head: the folder, tail: the name, number: the length
  ResultLines result_{files_};
  PathLines paths_{files_};
};

// The statistics of a search: "1,5 MB em  3 Arquivos".
QString statisticsText(qint64 totalBytes, int fileCount);
