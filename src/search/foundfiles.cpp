#include "search/foundfiles.h"

#include "files/folderread.h"
#include "text/numberformat.h"

// Line 2k: "--> " and the folder of file k; line 2k + 1: seven blanks, its name, two
// blanks, its size in KB.
namespace {

double kilobytes(qint64 length) {
  return double(length) / 1024.0;
}

QString sizeText(qint64 length) {
  return formatThousands(kilobytes(length));
}

}  // namespace

QString FoundFiles::ResultLines::line(qsizetype index) const {
  const qsizetype file = index / 2;
  if (index % 2 == 0) return QStringLiteral("--> ") + files.head(file);
  return QStringLiteral("       ") + files.tail(file) + QStringLiteral("  ") +
         sizeText(files.number(file)) + QStringLiteral(" KB");
}

// Measured by its parts: the name as stored, a folder line once for its folder.
qreal FoundFiles::ResultLines::width(qsizetype index, TextWidths& widths) const {
  const qsizetype file = index / 2;
  if (index % 2 == 0) {
    if (file > 0 && files.sameHead(file - 1, file)) return 0;
    return widths.of(u"--> ") + widths.of(files.head(file));
  }
  // Measured for every file found: its size is written over one text, not composed anew.
  thread_local QString size;
  formatThousands(kilobytes(files.number(file)), QLocale(), size);
  return widths.of(u"       ") + widths.of(files.tailView(file)) + widths.of(u"  ") +
         widths.of(size) + widths.of(u" KB");
}

QString FoundFiles::PathLines::line(qsizetype index) const {
  return joinPath(files.head(index), files.tail(index));
}

QString statisticsText(qint64 totalBytes, int fileCount) {
  return formatTwoDecimals(double(totalBytes) / 1024000.0) + QStringLiteral(" MB em ") +
         plainNumberText(fileCount) + QStringLiteral(" Arquivos");
}
