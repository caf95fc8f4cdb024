#include "support/results.h"

#include <QFileInfo>

#include "app/filefind.h"

void listAsFound(FileFind& w, const QStringList& paths) {
  const bool enabled = w.List1->isEnabled();
  w.List1->setEnabled(false);  // as during a search: selections open nothing
  for (const QString& path : paths) {
    const QFileInfo info(path);
    w.List1->addItem(QStringLiteral("--> ") + info.path());
    w.List2->addItem(path);
    w.List1->addItem(QStringLiteral("       ") + info.fileName() + QStringLiteral("  1 KB"));
  }
  if (w.List1->listCount() > 0) w.List1->setListIndex(w.List1->listCount() - 1);
  w.List1->setEnabled(enabled);
}
