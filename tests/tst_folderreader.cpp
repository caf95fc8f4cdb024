// The folder reads of a walk, with their read ahead, over real folders that change under
// them: whatever was read ahead, a folder is listed under a path only while that path
// still leads to it. One reader thread makes the order of its reads, and so the
// descriptors it keeps open, the same on every run. What was read ahead is seen in the
// reader's log.
#include <QFile>
#include <QLoggingCategory>
#include <QTest>
#include <mutex>

#include "files/folderread.h"
#include "files/folderreader.h"
#include "support/tree.h"

namespace {

const QString kFilms = QStringLiteral("*.avi");

QStringList names(const NameList& list) {
  QStringList out;
  for (qsizetype i = 0; i < list.size(); ++i) out << list.at(i).toString();
  return out;
}

bool listed(const std::shared_ptr<const FolderContents>& c) {
  return c && c->ok;
}

// The folders the reader says it read ahead of the walk, while it lives.
class ReadAhead {
 public:
  ReadAhead() {
    QLoggingCategory::setFilterRules(QStringLiteral("vistara.search.debug=true"));
    previous_ = qInstallMessageHandler(&ReadAhead::note);
  }
  ~ReadAhead() {
    qInstallMessageHandler(previous_);
    QLoggingCategory::setFilterRules(QString());
    std::lock_guard<std::mutex> lock(mutex());
    folders().clear();
  }
  bool has(const QString& folder) const {
    std::lock_guard<std::mutex> lock(mutex());
    return folders().contains(folder);
  }
  // How often a reader thread joined because reads waited on the drive.
  int joined() const {
    std::lock_guard<std::mutex> lock(mutex());
    return folders().count(QString());
  }

 private:
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  static QStringList& folders() {
    static QStringList list;
    return list;
  }
  static void note(QtMsgType, const QMessageLogContext&, const QString& text) {
    static const QString head = QStringLiteral("read "),
                         tail = QStringLiteral(" ahead of the walk");
    std::lock_guard<std::mutex> lock(mutex());
    if (text.endsWith(QStringLiteral("folder readers: reads wait on the disk"))) {
      folders().append(QString());
    } else if (text.startsWith(head) && text.endsWith(tail)) {
      folders().append(text.mid(head.size(), text.size() - head.size() - tail.size()));
    }
  }
  QtMessageHandler previous_;
};

}  // namespace

class TestFolderReader : public QObject {
  Q_OBJECT

 private slots:
  // The walk takes the root and a; b, read ahead meanwhile, is renamed before the walk
  // reaches it. Neither b nor its subfolder may then be read through what was kept open.
  void renamedAfterItWasReadAhead() {
    TestTree tree;
    for (const char* f : {"a/1.avi", "b/2.avi", "b/sub/3.avi"}) tree.file(f, 100);
    FolderReader reader(1, 1);
    reader.setPatterns(kFilms);
    const ReadAhead ahead;
    QVERIFY(listed(reader.read(tree.root())));
    QVERIFY(listed(reader.read(tree.path("a"))));
    QTRY_VERIFY(ahead.has(tree.path("b/sub")));  // b and b/sub, read through b's descriptor
    QVERIFY(QFile::rename(tree.path("b"), tree.path("zz")));

    QVERIFY(!listed(reader.read(tree.path("b"))));
    QVERIFY(!listed(reader.take(tree.path("b"))));
    QCOMPARE(reader.fileLength(tree.path("b/2.avi")), qint64(-1));
    QVERIFY(!listed(reader.read(tree.path("b/sub"))));
    QVERIFY(listed(reader.read(tree.path("zz/sub"))));  // the new name reads as usual
    QCOMPARE(reader.fileLength(tree.path("zz/sub/3.avi")), qint64(100));
  }

  // The walk is inside b when b is renamed: b/sub, read ahead through b, is read again,
  // and not through what the readers keep open of b.
  void renamedWhileTheWalkIsInsideIt() {
    TestTree tree;
    for (const char* f : {"b/2.avi", "b/sub/3.avi"}) tree.file(f, 100);
    FolderReader reader(1, 1);
    reader.setPatterns(kFilms);
    const ReadAhead ahead;
    QVERIFY(listed(reader.read(tree.root())));
    QVERIFY(listed(reader.read(tree.path("b"))));
    QTRY_VERIFY(ahead.has(tree.path("b/sub")));
    QVERIFY(QFile::rename(tree.path("b"), tree.path("zz")));
    QVERIFY(!listed(reader.read(tree.path("b/sub"))));
  }

  // A folder renamed after the walk took it: its files' lengths are asked by the path the
  // lines would show, so none is listed under a name that no longer leads to it.
  void renamedWhileItsFilesAreListed() {
    TestTree tree;
    for (const char* f : {"b/1.avi", "b/2.avi"}) tree.file(f, 100);
    FolderReader reader(1, 1);
    reader.setPatterns(kFilms);
    QVERIFY(listed(reader.read(tree.root())));
    const auto b = reader.take(tree.path("b"));
    QVERIFY(listed(b));
    QCOMPARE(names(b->matches), (QStringList{"1.avi", "2.avi"}));
    QCOMPARE(reader.fileLength(tree.path("b/1.avi")), qint64(100));
    QVERIFY(QFile::rename(tree.path("b"), tree.path("zz")));
    QCOMPARE(reader.fileLength(tree.path("b/2.avi")), qint64(-1));
  }

  // Far below the path length limit the check that a path still leads to its folder
  // holds too: a folder renamed near the top is not read through below it.
  void renamedAboveADeepWalk() {
    TestTree tree;
    QVERIFY(tree.deepChain("top", 1600, "dd", "f.avi", {1502}));
    FolderReader reader(1, 1);
    reader.setPatterns(kFilms);
    QString path = tree.path("top");
    for (int level = 0; level <= 1500; ++level, path += "/dd") {
      QVERIFY2(listed(reader.read(path)), qPrintable(QString::number(level)));
    }
    QVERIFY(path.size() > 4096);
    QVERIFY(QFile::rename(tree.path("top/dd"), tree.path("top/ee")));
    QVERIFY(!listed(reader.read(path)));
    QCOMPARE(reader.fileLength(path + "/dd/f.avi"), qint64(-1));
  }

  // Folders served from memory keep the fewest reader threads: more would only contend for
  // the processors. Many files a folder make each read slow enough to be looked at.
  void readsFromMemoryKeepTheFewestReaders() {
    TestTree tree;
    for (int d = 0; d < 30; ++d) {
      for (int f = 0; f < 300; ++f) tree.file(QString("d%1/f%2.avi").arg(d).arg(f));
    }
    FolderReader reader;  // the program's bounds
    reader.setPatterns(kFilms);
    const ReadAhead ahead;
    for (int round = 0; round < 10; ++round) {
      QVERIFY(listed(reader.read(tree.root())));
      for (int d = 0; d < 30; ++d) QVERIFY(listed(reader.read(tree.path(QString("d%1").arg(d)))));
    }
    QCOMPARE(ahead.joined(), 0);
  }

  // Reading the same folder again (a refresh) looks its name up anew.
  void readAgainAfterARename() {
    TestTree tree;
    tree.file("b/c/1.avi");
    FolderChain chain;
    QVERIFY(listed(readFolder(tree.path("b"), {}, &chain)));
    QVERIFY(QFile::rename(tree.path("b"), tree.path("zz")));
    QVERIFY(!listed(readFolder(tree.path("b"), {}, &chain)));
    QVERIFY(listed(readFolder(tree.path("zz/c"), {}, &chain)));
  }

  // A folder swapped for a link after its parent was read is not entered through the link,
  // though the read goes more than one folder down at once.
  void aFolderSwappedForALinkIsNotEntered() {
    TestTree tree;
    tree.file("a/b/c/1.avi");
    tree.file("elsewhere/c/2.avi");
    FolderChain chain;
    QVERIFY(listed(readFolder(tree.path("a"), {}, &chain)));
    QVERIFY(QFile::rename(tree.path("a/b"), tree.path("a/old")));
    QVERIFY(tree.symlink("a/b", tree.path("elsewhere")));
    QVERIFY(!listed(readFolder(tree.path("a/b/c"), {}, &chain)));
    QVERIFY(listed(readFolder(tree.path("a/old/c"), {}, &chain)));
  }
};

QTEST_GUILESS_MAIN(TestFolderReader)
#include "tst_folderreader.moc"
