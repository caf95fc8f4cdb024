#pragma once

#include <QAnyStringView>
#include <QString>
#include <deque>
#include <memory>
#include <vector>

// Lines kept as the facts they show, compactly for lists of millions: a head shared by
// consecutive lines (passed as the same QString object) once for all of them, each line's
// own text once (one byte a character when it fits), and a number. Nothing is composed
// until a line is asked for.
class LineStore {
 public:
  void add(const QString& head, QStringView tail, qint64 number = 0);
  qsizetype size() const { return qsizetype(lines_.size()); }
  void clear();

  QString at(qsizetype index) const;  // the head followed by the tail
  const QString& head(qsizetype index) const;
  QString tail(qsizetype index) const;
  QAnyStringView tailView(qsizetype index) const;  // valid while the store is unchanged
  bool sameHead(qsizetype a, qsizetype b) const {
    return lines_[size_t(a)].head == lines_[size_t(b)].head;
  }
  qint64 number(qsizetype index) const { return lines_[size_t(index)].number; }

 private:
  struct Line {
    quint64 where;  // chunk << 32 | offset
    quint32 head;   // index into heads_, or kNoHead
    quint32 size;   // characters; the top bit marks two bytes a character
    qint64 number;
  };
  static constexpr quint32 kNoHead = 0xFFFFFFFFu;
  static constexpr quint32 kWide = 0x80000000u;
  static constexpr size_t kChunk = size_t(1) << 20;

  char* allocate(size_t bytes, quint64& where);

  std::deque<Line> lines_;
  std::vector<QString> heads_;
  std::vector<std::unique_ptr<char[]>> chunks_;
  size_t used_ = kChunk;  // bytes used in the last chunk
};
