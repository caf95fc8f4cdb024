#include "files/folderreader.h"

#include <pthread.h>
#include <sys/resource.h>

#include <QVarLengthArray>
#include <algorithm>
#include <condition_variable>
#include <list>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "files/searchlog.h"
#include "files/wildcard.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatientWait = std::chrono::milliseconds(100);
constexpr auto kEventSlice = std::chrono::milliseconds(20);
// A thread beyond the fewest leaves after this long without a folder to read. Not
// sooner: on a cold disk many reads in a row find what they need already read (a block
// of entries or lengths read for a neighbour), and threads that left at such a run were
// missed when the disk was next waited on (a cold walk of a million files took a fifth
// longer).
constexpr auto kIdleLife = std::chrono::seconds(1);
// A read served from the cache takes less than this (a few system calls); only a slower
// one is asked whether it waited.
constexpr auto kSlowRead = std::chrono::microseconds(200);
// A read that read no disk block waited on the drive (a share, a network) only when it took
// this long and gave up the processor meanwhile: a thread also gives it up for a moment to
// take a lock, and a read served from the cache that loses the processor to the other
// threads takes several milliseconds.
constexpr auto kLongRead = std::chrono::milliseconds(20);
// Descriptors a thread beyond the fewest keeps open down its path, and what one reader may
// hold at most in a tree of ordinary depth: the pool never holds more than the process may.
constexpr size_t kExtraChainOpen = 8;
constexpr rlim_t kDescriptorsPerReader = 16;
constexpr rlim_t kDescriptorsKept = 256;  // for everything else the program opens

// A moment to wait until, or none.
class Deadline {
 public:
  static Deadline never() { return Deadline(); }
  static Deadline after(std::chrono::milliseconds span) {  // never for 0
    return span.count() > 0 ? Deadline(Clock::now() + span) : never();
  }
  bool passed() const { return set_ && Clock::now() >= at_; }
  Deadline sooner(const Deadline& o) const {
    if (!o.set_) return *this;
    return !set_ || o.at_ < at_ ? o : *this;
  }
  // Waits for `cv` to be notified, until the deadline at the latest.
  void wait(std::condition_variable& cv, std::unique_lock<std::mutex>& lock) const {
    if (set_) {
      cv.wait_until(lock, at_);
    } else {
      cv.wait(lock);
    }
  }

 private:
  Deadline() = default;
  explicit Deadline(Clock::time_point at) : at_(at), set_(true) {}
  Clock::time_point at_;
  bool set_ = false;
};

// Takes `lock`, trying for a moment before going to sleep for it: the walk and its readers
// hold it for a few list steps, and each thread put to sleep for it costs a system call to
// sleep and one of the holder's to wake it.
void acquire(std::unique_lock<std::mutex>& lock) {
  constexpr int kTries = 64;
  for (int i = 0; i < kTries; ++i) {
    if (lock.try_lock()) return;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }
  lock.lock();
}

// How often the calling thread has given up the processor to wait, and how many blocks it
// has read from a disk: a read during which either rose was not served from the cache.
struct Waits {
  long switches = -1;  // -1: not asked
  long blocks = 0;
  bool known() const { return switches >= 0; }
  bool readTheDisk(const Waits& before, Clock::duration took) const {
    return blocks != before.blocks || (switches != before.switches && took >= kLongRead);
  }
};

Waits waitsSoFar() {
#ifdef RUSAGE_THREAD
  rusage use;
  if (::getrusage(RUSAGE_THREAD, &use) == 0) return {use.ru_nvcsw, use.ru_inblock};
#endif
  return {0, 0};
}

// The most reader threads the process's descriptor limit leaves room for.
int readersTheLimitAllows(int most) {
  rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return most;
  if (limit.rlim_cur <= kDescriptorsKept) return 1;
  return int(
      std::min<rlim_t>(rlim_t(most), (limit.rlim_cur - kDescriptorsKept) / kDescriptorsPerReader));
}

// Roughly what a read holds in memory.
size_t footprint(const FolderContents& c) {
  size_t bytes = sizeof c + c.fileNames.size() + c.fileEnds.size() * sizeof(size_t) +
                 c.matchLengths.size() * sizeof(qint64) + c.matches.bytes();
  for (const QString& s : c.subfolders) bytes += 32 + size_t(s.size()) * 2;
  return bytes;
}

// The matching names of a read, sorted as the file list sorts them, and their lengths.
void matchAhead(FolderContents& c, const PatternList& patterns, const QString& text) {
  if (!c.ok || text.isEmpty()) return;
  thread_local std::vector<qint64> lengths;  // kept for the thread's next folder
  thread_local std::vector<qsizetype> from;
  lengths.clear();
  for (int i = 0; i < c.fileCount(); ++i) {
    const QByteArrayView name = c.fileBytes(i);
    if (!patterns.matches(name)) continue;
    // Room for all the rest at once: a name has no more characters than bytes.
    if (lengths.empty()) {
      lengths.reserve(size_t(c.fileCount() - i));
      c.matches.reserve(c.fileCount() - i, qsizetype(c.fileNames.size()));
    }
    c.matches.appendFileName(name);
    lengths.push_back(c.lengthAt(c.fileName(i)));
  }
  c.matches.sort(from);
  c.matchLengths.reserve(from.size());
  for (const qsizetype i : from) c.matchLengths.push_back(lengths[size_t(i)]);
  c.matchedFor = text;
}

}  // namespace

struct FolderReader::Job {
  QString path;
  // Where the walk takes it: the positions among its siblings of the folders down from
  // where the plan began. Sorted so, jobs fall in the walk's order (parents first).
  QVarLengthArray<quint32, 16> order;  // within the job: most trees are not that deep
  enum class State { Planned, Reading, Done } state = State::Planned;
  bool inPlan = true;
  bool awaited = false;  // the walk is waiting for it
  bool anew = false;     // a read again of a folder that changed: by its path from the start
  std::optional<FolderStamp> stamp;  // as the parent's read saw it
  std::list<std::shared_ptr<Job>>::iterator where;
  std::shared_ptr<FolderContents> result;
  size_t bytes = 0;
  int madeBy = -1;  // the reader slot whose thread allocated the job (-1: the walk's)
  int readBy = -1;  // and the one whose thread made the result
};

// What the walk and its reader threads share. Threads hold it too, so a thread that
// returns long after its walk was given up finds it still there, sees `ended` and leaves.
struct FolderReader::Shared {
  std::mutex mutex;
  std::condition_variable work;  // a job may be started, or the readers should end
  std::condition_variable done;  // a job was finished
  using Place = std::list<std::shared_ptr<Job>>::iterator;
  std::list<std::shared_ptr<Job>> plan;  // in the order the walk takes the folders
  // The jobs not started lie in runs of neighbours in the plan (what is left of a read's
  // subfolders); here the first of each run, the walk's last first, so that the next job
  // to start is the last. Readers finish out of order and leave started jobs between the
  // runs: a reader that looked past them for the next job, under the lock, went past
  // seven a job on a cold disk.
  std::vector<Place> runs;
  int planned = 0;        // jobs in the plan not started
  size_t bytesAhead = 0;  // held by finished jobs still in the plan
  int started = 0;        // jobs in the plan being read or read
  bool ended = false;
  int foldersAhead = kFoldersAhead;
  int fewest = kFewestReaders;
  int most = kMostReaders;
  int threads = 0;  // reader threads running
  int idle = 0;     // of them, waiting for a job
  // Of those, how many were woken and have not run yet: on a busy machine a woken thread may
  // wait a while for a processor, and each further wake-up meant for it is a system call
  // that wakes no one.
  int waking = 0;
  // Worth waking an idle reader for: the folder the walk takes next, or room for a batch of
  // folders. Not for each folder the walk takes at the bound: the readers still busy keep up
  // with that, and a reader woken a folder at a time costs two system calls a folder.
  bool worthWaking() const {
    if (idle <= waking || planned == 0) return false;
    return nextIsFirst() || foldersAhead - started >= batch();
  }
  int batch() const { return std::max(1, foldersAhead / 8); }
  FolderReadOptions options;
  QString patternText;
  std::shared_ptr<const PatternList> patterns;

  // What the walk is done with goes back to the reader thread that allocated it and is freed
  // there. Freed on the walk's thread, each block would take the lock of that reader's memory
  // arena while the reader allocates from it, and the two would keep waking each other
  // (the most part of a warm search's system calls went to it). One grave a reader slot;
  // what has no open grave is freed where it is let go.
  struct Grave {
    bool open = false;  // a thread reads for this slot
    std::list<std::shared_ptr<Job>> jobs;
    std::vector<std::shared_ptr<const FolderContents>> reads;  // room made by its thread
  };
  std::vector<Grave> graves;  // sized once, for the most readers
  // A reader empties its grave whenever it starts a read, so room for a few is enough; what
  // finds no room (its reader idle at the bound) is freed by the walk instead.
  static constexpr size_t kGraveRoom = 16;

  // Moves `result` into the grave of `slot` when there is room for it without allocating.
  void bury(std::shared_ptr<const FolderContents>& result, int slot) {
    if (slot < 0 || !graves[size_t(slot)].open) return;
    auto& reads = graves[size_t(slot)].reads;
    if (reads.size() < reads.capacity()) reads.push_back(std::move(result));
  }

  // How many jobs may be started now: within the bound of folders and bytes ahead, and
  // always the one the walk takes next.
  int room() const {
    if (planned == 0) return 0;
    if (nextIsFirst()) return std::max(1, foldersAhead - started);
    if (bytesAhead >= kBytesAhead) return 0;
    return std::max(0, std::min(planned, foldersAhead - started));
  }

  // The next job to start is the one the walk takes next.
  bool nextIsFirst() const { return !runs.empty() && runs.back() == plan.begin(); }
  bool isPlanned(Place p) const { return p != plan.end() && (*p)->state == Job::State::Planned; }

  void addRun(Place first) {
    const auto later = [](Place a, Place b) { return (*b)->order < (*a)->order; };
    runs.insert(std::lower_bound(runs.begin(), runs.end(), first, later), first);
  }

  // The runs found anew, after jobs not started left the plan.
  void findRuns() {
    runs.clear();
    for (Place p = plan.begin(); p != plan.end(); ++p) {
      if (isPlanned(p) && (p == plan.begin() || !isPlanned(std::prev(p)))) runs.push_back(p);
    }
    std::reverse(runs.begin(), runs.end());
  }

  // The first planned job in the walk's order when there is room for it, or null.
  std::shared_ptr<Job> nextJob() {
    if (room() == 0) return nullptr;
    std::shared_ptr<Job> job = *runs.back();
    job->state = Job::State::Reading;
    --planned;
    ++started;
    const Place next = std::next(runs.back());
    runs.pop_back();
    // The run goes on, unless it reached the first job of the next.
    if (isPlanned(next) && (runs.empty() || runs.back() != next)) runs.push_back(next);
    return job;
  }

  // Takes jobs out of the plan, into their graves or else into `here`, freed by the caller
  // once it has let go of the lock.
  void drop(std::list<std::shared_ptr<Job>>::iterator from,
            std::list<std::shared_ptr<Job>>::iterator to, std::list<std::shared_ptr<Job>>& here) {
    bool unstarted = false;  // jobs not started are among them
    while (from != to) {
      const auto it = from++;
      Job& job = **it;
      job.inPlan = false;
      unstarted = unstarted || job.state == Job::State::Planned;
      if (job.state == Job::State::Planned) --planned;
      if (job.state != Job::State::Planned) --started;
      if (job.state == Job::State::Done) {
        bytesAhead -= job.bytes;
        std::shared_ptr<const FolderContents> result = std::move(job.result);
        bury(result, job.readBy);
      }
      const bool graved = job.madeBy >= 0 && graves[size_t(job.madeBy)].open;
      auto& into = graved ? graves[size_t(job.madeBy)].jobs : here;
      into.splice(into.end(), plan, it);
    }
    if (unstarted) findRuns();
  }

  // The first job of a plan, in an empty one.
  std::shared_ptr<Job> planFrom(const QString& path, bool anew) {
    auto job = std::make_shared<Job>();
    job->path = path;
    job->anew = anew;
    job->where = plan.insert(plan.end(), job);
    ++planned;
    runs.assign(1, job->where);
    return job;
  }

  // A read's subfolders as jobs, made before the lock is taken to plan them.
  struct Children {
    std::list<std::shared_ptr<Job>> plan;
  };
  Children childrenOf(const Job& job, const FolderContents& read, int slot) const {
    Children out;
    if (foldersAhead == 1) return out;  // nothing is read ahead
    quint32 position = 0;
    const bool stamped = read.subfolderStamps.size() == size_t(read.subfolders.size());
    for (const QString& sub : read.subfolders) {
      auto child = std::make_shared<Job>();
      child->path = sub;
      child->madeBy = slot;
      if (stamped) child->stamp = read.subfolderStamps[position];
      child->order.reserve(job.order.size() + 1);
      child->order = job.order;
      child->order.push_back(position++);
      child->where = out.plan.insert(out.plan.end(), child);
    }
    return out;
  }

  void finish(const std::shared_ptr<Job>& job, std::shared_ptr<FolderContents> result, size_t bytes,
              Children& children, int slot) {
    job->bytes = bytes;
    job->readBy = slot;
    job->result = std::move(result);
    job->state = Job::State::Done;
    if (!job->inPlan) return;
    bytesAhead += job->bytes;
    if (children.plan.empty()) return;
    planned += int(children.plan.size());
    plan.splice(std::next(job->where), children.plan);  // their `where` stays good
    addRun(std::next(job->where));                      // after a job started, so a run's first
  }

  // One more reader thread; false when none could be started.
  static bool startReader(const std::shared_ptr<Shared>& s) {
    const auto free =
        std::find_if(s->graves.begin(), s->graves.end(), [](const Grave& g) { return !g.open; });
    if (free == s->graves.end()) return false;
    const int slot = int(free - s->graves.begin());
    try {
      std::thread(&Shared::run, s, s->threads >= s->fewest, slot).detach();
    } catch (const std::system_error&) {
      return false;
    }
    free->open = true;
    ++s->threads;
    return true;
  }

  // After a read that waited on the disk: one more thread while there is more to read
  // than threads to read it.
  void grow(const std::shared_ptr<Shared>& self) {
    if (threads < most && room() > idle + 1 && startReader(self)) {
      qCDebug(searchLog, "%d folder readers: reads wait on the disk", threads);
    }
  }

  // Wake-ups are costly, one a folder: a reader wakes the walk only for the folder it
  // waits for, and one idle reader when there is more to read than it takes itself (that
  // one wakes the next); each after letting go of the lock, which the woken one wants.
  static void run(std::shared_ptr<Shared> s, bool extra, int slot) {
    ::pthread_setname_np(::pthread_self(), "folder reader");  // as tools list threads
    // This thread's descriptors and entry buffer; one that joined for a cold disk keeps
    // fewer open, as many of them read at once.
    FolderChain chain(extra ? kExtraChainOpen : FolderChain::kDeepestOpen);
    Waits waitsSeen;        // the thread's waits when last asked, or to be asked before a read
    bool wakeWalk = false;  // the walk waits for the read just finished
    // This slot's grave is emptied into these and freed here; the room is this thread's.
    std::list<std::shared_ptr<Job>> deadJobs;
    std::vector<std::shared_ptr<const FolderContents>> deadReads;
    deadReads.reserve(kGraveRoom);
    std::vector<std::shared_ptr<const FolderContents>> room;
    // The walk's patterns, taken again only when they change: a reference taken and let go
    // each read was a write to memory every reader shares.
    std::shared_ptr<const PatternList> patterns;
    QString text;
    room.reserve(kGraveRoom);
    std::unique_lock<std::mutex> lock(s->mutex);
    s->graves[size_t(slot)].reads.swap(room);
    while (!s->ended) {
      const std::shared_ptr<Job> job = s->nextJob();
      if (!job) {
        if (std::exchange(wakeWalk, false)) s->done.notify_all();
        ++s->idle;
        const bool woken = s->work.wait_for(lock, kIdleLife) == std::cv_status::no_timeout;
        --s->idle;
        if (s->waking > 0) --s->waking;
        if (!woken && s->threads > s->fewest) break;  // more threads than the walk needs
        waitsSeen = {};                               // that wait is none of the next read's
        continue;
      }
      const bool wakeReader = s->worthWaking() && s->room() > 0;
      if (wakeReader) ++s->waking;
      const bool mayGrow = s->threads < s->most;
      const QString path = job->path;
      // What the thread keeps open may have been renamed since; a read again must not use it.
      FolderChain* const through = job->anew ? nullptr : &chain;
      const FolderReadOptions options = s->options;
      const std::optional<FolderStamp> stamp = job->stamp;
      if (patterns != s->patterns) {
        patterns = s->patterns;
        text = s->patternText;
      }
      Grave& grave = s->graves[size_t(slot)];
      grave.reads.swap(deadReads);
      deadJobs.splice(deadJobs.end(), grave.jobs);
      lock.unlock();
      if (std::exchange(wakeWalk, false)) s->done.notify_all();
      if (wakeReader) s->work.notify_one();
      deadReads.clear();  // its room stays, for the next swap
      deadJobs.clear();
      if (!mayGrow) {
        waitsSeen = {};
      } else if (!waitsSeen.known()) {
        waitsSeen = waitsSoFar();
      }
      const Clock::time_point begin = Clock::now();
      std::shared_ptr<FolderContents> result =
          readFolder(path, options, through, stamp ? &*stamp : nullptr);
      matchAhead(*result, *patterns, text);
      result->handle.reset();  // closed here and not by the walk, which asks by path
      // Only a slow read may have waited; asked only while more threads may join.
      bool waited = false;
      const Clock::duration took = Clock::now() - begin;
      if (mayGrow && took >= kSlowRead) {
        const Waits waits = waitsSoFar();
        waited = waits.readTheDisk(waitsSeen, took);
        waitsSeen = waits;
      }
      const size_t bytes = footprint(*result);
      Children children = s->childrenOf(*job, *result, slot);
      acquire(lock);
      s->finish(job, std::move(result), bytes, children, slot);
      wakeWalk = job->awaited;
      if (!wakeWalk) qCDebug(searchLog, "read %s ahead of the walk", qUtf8Printable(path));
      if (waited) s->grow(s);
    }
    --s->threads;
    Grave& grave = s->graves[size_t(slot)];
    grave.open = false;
    grave.reads.swap(deadReads);
    deadJobs.splice(deadJobs.end(), grave.jobs);
    lock.unlock();
    if (wakeWalk) s->done.notify_all();
  }
};

FolderReader::FolderReader(int fewestReaders, int mostReaders, int foldersAhead)
    : fewestReaders_(std::max(1, fewestReaders)),
      mostReaders_(std::max(fewestReaders_, mostReaders)),
      foldersAhead_(std::max(1, foldersAhead)) {}

FolderReader::~FolderReader() {
  stop();
}

void FolderReader::setOptions(FolderReadOptions options) {
  options_ = options;
  stop();
}

void FolderReader::setPatterns(const QString& patterns) {
  if (patterns == patterns_) return;
  patterns_ = patterns;
  if (!shared_) return;
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->patternText = patterns;
  shared_->patterns = std::make_shared<const PatternList>(patterns);
}

void FolderReader::setWaitHook(std::function<bool()> keepWaiting) {
  keepWaiting_ = std::move(keepWaiting);
}

void FolderReader::setWaitLimit(std::chrono::milliseconds limit) {
  waitLimit_ = limit;
}

void FolderReader::stop() {
  last_.reset();
  lastFresh_ = false;
  handed_ = {};
  if (!shared_) return;
  std::list<std::shared_ptr<Job>> unburied;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->ended = true;
    shared_->drop(shared_->plan.begin(), shared_->plan.end(), unburied);
  }
  shared_->work.notify_all();
  shared_.reset();  // threads still reading let go of it when they return
}

// Waits for `job` under `lock`; false when the wait was given up.
bool FolderReader::waitFor(Shared& s, const Job& job, std::unique_lock<std::mutex>& lock) {
  const Deadline limit = Deadline::after(waitLimit_);
  Deadline events = keepWaiting_ ? Deadline::after(kPatientWait) : Deadline::never();
  while (job.state != Job::State::Done) {
    if (limit.passed()) return false;
    if (events.passed()) {
      lock.unlock();
      const bool keep = keepWaiting_();
      lock.lock();
      if (job.state == Job::State::Done) break;
      if (!keep) return false;
      events = Deadline::after(kEventSlice);
    }
    limit.sooner(events).wait(s.done, lock);
  }
  return true;
}

std::shared_ptr<const FolderContents> FolderReader::await(const QString& path, bool fresh) {
  if (!shared_) {
    shared_ = std::make_shared<Shared>();
    shared_->options = options_;
    shared_->foldersAhead = foldersAhead_;
    shared_->fewest = fewestReaders_;
    shared_->most = std::max(fewestReaders_, readersTheLimitAllows(mostReaders_));
    shared_->patternText = patterns_;
    shared_->patterns = std::make_shared<const PatternList>(patterns_);
    shared_->graves.resize(size_t(shared_->most));
    std::lock_guard<std::mutex> lock(shared_->mutex);
    for (int i = 0; i < fewestReaders_; ++i) Shared::startReader(shared_);
  }
  const std::shared_ptr<Shared> s = shared_;
  std::list<std::shared_ptr<Job>> unburied;  // freed after the lock is let go
  std::unique_lock<std::mutex> lock(s->mutex, std::defer_lock);
  acquire(lock);
  returnHanded(*s);
  auto found = s->plan.begin();
  while (!fresh && found != s->plan.end() && (*found)->path != path) ++found;
  std::shared_ptr<Job> job;
  if (found != s->plan.end() && !fresh) {
    s->drop(s->plan.begin(), found, unburied);  // folders the walk did not enter
    job = *found;
  } else {
    s->drop(s->plan.begin(), s->plan.end(), unburied);  // the walk went elsewhere: plan from here
    job = s->planFrom(path, fresh);
    s->work.notify_all();
  }
  job->awaited = true;
  // Taken next, it is read whatever the bound: the readers may all be waiting for room.
  if (job->state == Job::State::Planned && s->idle > 0) s->work.notify_one();
  if (!waitFor(*s, *job, lock)) {
    lock.unlock();
    qCWarning(searchLog, "gave up waiting for the folder %s", qUtf8Printable(path));
    stop();  // the stuck read is left to its thread
    return nullptr;
  }
  std::shared_ptr<const FolderContents> result = std::move(job->result);
  hand(result, job->readBy);
  if (!job->inPlan) return result;
  s->drop(job->where, std::next(job->where), unburied);
  // Room for more ahead: woken a batch at a time, a reader costs no wake-up a folder; and
  // none once all that is known is read (near the end of the tree a reader woken for
  // each folder the walk takes would only find nothing to do).
  const bool wakeReader = s->worthWaking();
  if (wakeReader) ++s->waking;
  lock.unlock();
  if (wakeReader) s->work.notify_one();
  return result;
}

void FolderReader::hand(const std::shared_ptr<const FolderContents>& result, int slot) {
  Handed& into = handed_[handedNext_++ % handed_.size()];
  into.read = result;  // one still in use when overwritten is freed by its last user
  into.slot = slot;
}

// Results the walk's lists have all let go of go back to their readers.
void FolderReader::returnHanded(Shared& s) {
  for (Handed& h : handed_) {
    if (h.read && h.read.use_count() == 1) s.bury(h.read, h.slot);
  }
}

std::shared_ptr<const FolderContents> FolderReader::read(const QString& path) {
  std::shared_ptr<const FolderContents> result = await(path, false);
  if (result && result->ok && !result->unchanged()) result = await(path, true);
  last_ = result;
  lastFresh_ = bool(result);
  cursor_ = 0;
  return result;
}

std::shared_ptr<const FolderContents> FolderReader::take(const QString& path) {
  if (last_ && lastFresh_ && last_->path == path) {
    lastFresh_ = false;
    return last_;
  }
  return read(path);
}

qint64 FolderReader::fileLength(const QString& path) {
  const qsizetype cut = path.lastIndexOf('/');
  if (cut < 0) return ::fileLength(path);
  return fileLength(QStringView(path).left(cut == 0 ? 1 : cut), QStringView(path).mid(cut + 1));
}

qint64 FolderReader::fileLength(QStringView folder, QStringView name) {
  const auto byPath = [&] { return ::fileLength(joinPath(folder.toString(), name.toString())); };
  if (!last_ || !last_->ok || folder != last_->path) return byPath();
  if (last_->matchedFor.isEmpty()) return last_->lengthOf(name);
  // The folder was found unchanged when the walk took it, and nothing of the walk's runs
  // while its files are listed. Only a folder changed so lately that its stamp may hide a
  // change is looked at again for each file: changed, the length is asked by the path its
  // line would show.
  if (last_->recent && !last_->unchanged()) return byPath();
  const NameList& matches = last_->matches;
  qsizetype at = cursor_ < matches.size() && matches.at(cursor_) == name ? cursor_ : -1;
  if (at < 0) at = matches.indexOf(name);
  if (at < 0) return last_->lengthOf(name);
  cursor_ = at + 1;
  return last_->matchLengths[size_t(at)];
}
