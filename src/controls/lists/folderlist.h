#pragma once

#include <QListWidget>
#include <memory>

#include "files/folderread.h"

class FolderReader;

// A folder list: a current path, its subfolders sorted by name, a refresh, and a change
// notification raised synchronously inside the path assignment. Shown, it lets a person
// browse (double-click a folder to open it); hidden, it only reads.
class FolderList : public QListWidget {
  Q_OBJECT
 public:
  explicit FolderList(QWidget* parent = nullptr);

  void setBrowsable(bool on);     // shown lists fill their view
  void setStayOnDevice(bool on);  // hidden walks stay on one file system
  // Reads through `reader` (not owned) instead of on its own, as a walk's list does.
  void setReader(FolderReader* reader);

  QString path() const { return path_; }
  // Returns false, and changes nothing, when the folder cannot be listed (or its reader
  // gave the read up).
  bool setPath(const QString& path);
  // Reads the folder again; one that can no longer be listed shows no subfolders.
  void refresh();
  // Takes `path` without listing it (a drive that did not answer in time): it shows no
  // subfolders until a refresh lists it.
  void showUnlisted(const QString& path);

  int listCount() const;           // subfolder count
  QString list(int index) const;   // full path of subfolder `index`
  QStringList subfolders() const;  // their full paths in order, shared with the read

 signals:
  void change();

 private:
  void fillView();
  std::shared_ptr<const FolderContents> readPath(const QString& path);
  QString path_;
  std::shared_ptr<const FolderContents> contents_;
  bool browsable_ = false;
  FolderReadOptions options_;
  FolderReader* reader_ = nullptr;
  FolderChain chain_;  // a walk down the tree opens each folder relative to its parent
};
