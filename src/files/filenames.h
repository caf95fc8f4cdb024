#pragma once

// File names as text and back, their order, and the paths built of them.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

class QCollator;

// File names as text and back. Bytes that are not UTF-8 become lone surrogates
// (U+DC80..U+DCFF) so that every name round-trips to the very same bytes.
QString decodeFileName(QByteArrayView bytes);
void appendFileName(QString& text, QByteArrayView bytes);  // decoded as above
QByteArray encodeFileName(QStringView name);
void encodeFileName(QStringView name, QByteArray& out);  // written over `out`, its room kept

// Names kept end to end in one text, each seen through a view: a folder's thousands of
// names cost two blocks of memory, not one each.
class NameList {
 public:
  qsizetype size() const { return qsizetype(spans_.size()); }
  QStringView at(qsizetype i) const {
    const Span& s = spans_[size_t(i)];
    return QStringView(text_).mid(s.from, s.size);
  }
  qsizetype indexOf(QStringView name) const;
  void appendFileName(QByteArrayView bytes);  // a name as the file system's bytes
  void reserve(qsizetype names, qsizetype characters);
  void clear();
  // Puts the names in the name order below; `from` tells where each came from, for the
  // caller to put what goes with them in the same order.
  void sort(std::vector<qsizetype>& from);
  size_t bytes() const { return size_t(text_.capacity()) * 2 + spans_.capacity() * sizeof(Span); }

 private:
  struct Span {
    qsizetype from, size;
  };
  QString text_;
  std::vector<Span> spans_;
};

// Locale-aware, case-insensitive name order (ties broken by code point).
void sortNames(NameList& names);

// That order, for the current locale: a quick first guess and the exact comparison.
class NameOrder {
 public:
  NameOrder();
  static bool roughlyBefore(QStringView a, QStringView b);
  // The first guess of the first few characters as one number: a smaller key means
  // roughly before; equal keys leave it to roughlyBefore.
  static quint64 roughKey(QStringView name);
  bool before(QStringView a, QStringView b) const;

 private:
  const QCollator& collator_;
};

// Sorts items that carry a name (`nameOf(item)`) in the name order. The rough order is
// nearly always right, so inserting into the exact order costs one exact comparison per
// item; a poor guess falls back to a plain sort. The rough order compares numbers made of
// each name's first characters once, and whole names only where those are equal.
template <class Items, class NameOf>
void sortByName(Items& items, NameOf nameOf) {
  if (items.size() < 2) return;
  using Item = std::remove_reference_t<decltype(items[0])>;
  thread_local std::vector<std::pair<quint64, qsizetype>> keys;
  thread_local std::vector<Item> moved;
  keys.clear();
  for (qsizetype i = 0; i < qsizetype(items.size()); ++i) {
    keys.emplace_back(NameOrder::roughKey(nameOf(items[i])), i);
  }
  std::sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return NameOrder::roughlyBefore(nameOf(items[a.second]), nameOf(items[b.second]));
  });
  moved.clear();
  for (const auto& k : keys) moved.push_back(std::move(items[k.second]));
  for (qsizetype i = 0; i < qsizetype(moved.size()); ++i) items[i] = std::move(moved[size_t(i)]);
  moved.clear();  // no names held until the next sort

  const NameOrder order;
  auto less = [&](const auto& a, const auto& b) { return order.before(nameOf(a), nameOf(b)); };
  const auto limit = 4 * items.size() + 16;
  decltype(items.size()) moves = 0;
  for (decltype(items.size()) i = 1; i < items.size(); ++i) {
    if (!less(items[i], items[i - 1])) continue;
    auto moving = std::move(items[i]);
    auto j = i;
    do {
      items[j] = std::move(items[j - 1]);
      --j;
      ++moves;
    } while (j > 0 && less(moving, items[j - 1]));
    items[j] = std::move(moving);
    if (moves > limit) {
      std::sort(items.begin(), items.end(), less);
      return;
    }
  }
}

// Joins a folder path and a name: a root ("/" or "C:\") keeps its one separator,
// "/abc" and "a.jpg" give "/abc/a.jpg".
QString joinPath(const QString& folder, const QString& name);
// The folder path with exactly one separator at its end, ready for a name.
QString withTrailingSeparator(const QString& folder);
bool endsWithSeparator(QStringView folder);  // a root's
