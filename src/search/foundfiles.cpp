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

// Measured by its parts: the name as stored, a folder line once for its folder, the size
// only when it could make its line the widest.
qreal FoundFiles::ResultLines::width(qsizetype index, TextWidths& widths, qreal widest) const {
  const qsizetype file = index / 2;
  if (index % 2 == 0) {
    if (file > 0 && files.sameHead(file - 1, file)) return 0;
    return widths.of(u"--> ") + widths.of(files.head(file));
  }
  // Widths add up by character: the seven blanks before the name, the two after it and
  // " KB" measured at once. The name is first bounded cheaply.
  const QAnyStringView name = files.tailView(file);
  const qreal fixed = widths.of(u"          KB");
  const double kb = kilobytes(files.number(file));
  if (kb < 1e15) {  // rounded, it has no more digits than the whole below it plus one
    int digits = 1;
    for (auto whole = quint64(kb) + 1; whole >= 10; whole /= 10) ++digits;
    qreal most = fixed + widths.atMost(name) + digits * widths.widestDigit();
    if (digits > 3) most += (digits - 1) / 3 * widths.of(groupSeparator());
    if (most <= widest) return most;
  }
  thread_local QString size;  // written over for each file, not composed anew
  formatThousands(kb, QLocale(), size);
  return fixed + widths.of(name) + widths.of(size);
}

QString FoundFiles::PathLines::line(qsizetype index) const {
  return joinPath(files.head(index), files.tail(index));
}

QString statisticsText(qint64 totalBytes, int fileCount) {
  return formatTwoDecimals(double(totalBytes) / 1024000.0) + QStringLiteral(" MB em ") +
         plainNumberText(fileCount) + QStringLiteral(" Arquivos");
}
