#pragma once

// File names as text and back, their order, and the paths built of them.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <algorithm>

class QCollator;

// File names as text and back. Bytes that are not UTF-8 become lone surrogates
// (U+DC80..U+DCFF) so that every name round-trips to the very same bytes.
QString decodeFileName(QByteArrayView bytes);
QByteArray encodeFileName(QStringView name);

// Locale-aware, case-insensitive name order (ties broken by code point).
void sortNames(QStringList& names);

// That order, for the current locale: a quick first guess and the exact comparison.
class NameOrder {
 public:
  NameOrder();
  static bool roughlyBefore(const QString& a, const QString& b);
  bool before(const QString& a, const QString& b) const;

 private:
  const QCollator& collator_;
};

// Sorts items that carry a name (`nameOf(item)`) in the name order. The rough order is
// nearly always right, so inserting into the exact order costs one exact comparison per
// item; a poor guess falls back to a plain sort.
template <class Items, class NameOf>
void sortByName(Items& items, NameOf nameOf) {
  if (items.size() < 2) return;
  const NameOrder order;
  auto less = [&](const auto& a, const auto& b) { return order.before(nameOf(a), nameOf(b)); };
  std::sort(items.begin(), items.end(), [&](const auto& a, const auto& b) {
    return NameOrder::roughlyBefore(nameOf(a), nameOf(b));
  });
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
