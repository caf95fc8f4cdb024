#include "search/foundfiles.h"

#include "files/folderread.h"
#include "text/numberformat.h"

// Line 2k: "--> " and the folder of file k; line 2k + 1: seven blanks, its name, two
// blanks, its size in KB.
QString FoundFiles::ResultLines::line(qsizetype index) const {
  const qsizetype file = index / 2;
  if (index % 2 == 0) return QStringLiteral("--> ") + files.head(file);
  return QStringLiteral("       ") + files.tail(file) + QStringLiteral("  ") +
         formatThousands(double(files.number(file)) / 1024.0) + QStringLiteral(" KB");
}

QString FoundFiles::PathLines::line(qsizetype index) const {
  return joinPath(files.head(index), files.tail(index));
}

QString statisticsText(qint64 totalBytes, int fileCount) {
  return formatTwoDecimals(double(totalBytes) / 1024000.0) + QStringLiteral(" MB em ") +
         plainNumberText(fileCount) + QStringLiteral(" Arquivos");
}
