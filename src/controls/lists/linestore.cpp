#include "controls/lists/linestore.h"

#include <cstring>

void LineStore::add(const QString& head, QStringView tail, qint64 number) {
  Line line{0, kNoHead, 0, number};
  if (!head.isEmpty()) {
    const bool same = !heads_.empty() && heads_.back().constData() == head.constData() &&
                      heads_.back().size() == head.size();
    if (!same) heads_.push_back(head);
    line.head = quint32(heads_.size() - 1);
  }
  const size_t n = size_t(tail.size());
  if (n > 0) {
    bool narrow = true;
    for (const QChar c : tail) {
      if (c.unicode() > 0xFF) {
        narrow = false;
        break;
      }
    }
    char* out = allocate(narrow ? n : 2 * n, line.where);
    if (narrow) {
      for (size_t i = 0; i < n; ++i) out[i] = char(tail[qsizetype(i)].unicode());
    } else {
      std::memcpy(out, tail.utf16(), 2 * n);
    }
    line.size = quint32(n) | (narrow ? 0 : kWide);
  }
  lines_.push_back(line);
}

QString LineStore::at(qsizetype index) const {
  if (index < 0 || index >= size()) return {};
  const QString& text = head(index);
  if ((lines_[size_t(index)].size & ~kWide) == 0) return text;  // the shared head, no copy
  return text + tail(index);
}

const QString& LineStore::head(qsizetype index) const {
  static const QString none;
  const quint32 at = lines_[size_t(index)].head;
  return at == kNoHead ? none : heads_[at];
}

QString LineStore::tail(qsizetype index) const {
  return tailView(index).toString();
}

QAnyStringView LineStore::tailView(qsizetype index) const {
  const Line& line = lines_[size_t(index)];
  const qsizetype n = qsizetype(line.size & ~kWide);
  if (n == 0) return {};
  const char* from = chunks_[size_t(line.where >> 32)].get() + (line.where & 0xFFFFFFFFu);
  if (line.size & kWide) return QStringView(reinterpret_cast<const char16_t*>(from), n);
  return QLatin1StringView(from, n);
}

void LineStore::clear() {
  std::deque<Line>().swap(lines_);
  std::vector<QString>().swap(heads_);
  std::vector<std::unique_ptr<char[]>>().swap(chunks_);
  used_ = kChunk;
}

// Chunks never move, so a growing store never copies what it holds.
char* LineStore::allocate(size_t bytes, quint64& where) {
  used_ = (used_ + 1) & ~size_t(1);  // two-byte text stays aligned
  if (bytes > kChunk - used_) {
    const size_t size = std::max(bytes, kChunk);
    chunks_.push_back(std::unique_ptr<char[]>(new char[size]));
    used_ = bytes > kChunk ? size : 0;
    if (bytes > kChunk) {
      where = quint64(chunks_.size() - 1) << 32;
      return chunks_.back().get();
    }
  }
  where = (quint64(chunks_.size() - 1) << 32) | used_;
  char* out = chunks_.back().get() + used_;
  used_ += bytes;
  return out;
}
