#include "files/folderreader.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>

#include "files/searchlog.h"
#include "files/wildcard.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatientWait = std::chrono::milliseconds(100);
constexpr auto kEventSlice = std::chrono::milliseconds(20);

// Roughly what a read holds in memory.
size_t footprint(const FolderContents& c) {
  size_t bytes = sizeof c + c.fileNames.size() + c.fileEnds.size() * sizeof(size_t) +
                 c.matchLengths.size() * sizeof(qint64);
  for (const QString& s : c.subfolders) bytes += 32 + size_t(s.size()) * 2;
  for (const QString& s : c.matches) bytes += 32 + size_t(s.size()) * 2;
  return bytes;
}

// The matching names of a read, sorted as the file list sorts them, and their lengths.
void matchAhead(FolderContents& c, const PatternList& patterns, const QString& text) {
  if (!c.ok || text.isEmpty()) return;
  for (int i = 0; i < c.fileCount(); ++i) {
    const QByteArrayView name = c.fileBytes(i);
    if (patterns.matches(name)) c.matches.append(decodeFileName(name));
  }
  sortNames(c.matches);
  c.matchLengths.reserve(size_t(c.matches.size()));
  for (const QString& name : std::as_const(c.matches)) c.matchLengths.push_back(c.lengthOf(name));
  c.matchedFor = text;
}

}  // namespace

struct FolderReader::Job {
  QString path;
  enum class State { Planned, Reading, Done } state = State::Planned;
  bool inPlan = true;
  bool awaited = false;  // the walk is waiting for it
  bool anew = false;     // a read again of a folder that changed: by its path from the start
  std::list<std::shared_ptr<Job>>::iterator where;
  std::shared_ptr<FolderContents> result;
  size_t bytes = 0;
};

// What the walk and its reader threads share. Threads hold it too, so a thread that
// returns long after its walk was given up finds it still there, sees `ended` and leaves.
struct FolderReader::Shared {
  std::mutex mutex;
  std::condition_variable work;          // a job may be started, or the readers should end
  std::condition_variable done;          // a job was finished
  std::list<std::shared_ptr<Job>> plan;  // in the order the walk takes the folders
  size_t bytesAhead = 0;                 // held by finished jobs still in the plan
  bool ended = false;
  int foldersAhead = kFoldersAhead;
  FolderReadOptions options;
  QString patternText;
  PatternList patterns;

  // The first planned job within the bound, or null.
  std::shared_ptr<Job> nextJob() {
    int index = 0;
    for (const auto& job : plan) {
      if (index >= foldersAhead || (index > 0 && bytesAhead >= kBytesAhead)) break;
      if (job->state == Job::State::Planned) return job;
      ++index;
    }
    return nullptr;
  }

  void drop(std::list<std::shared_ptr<Job>>::iterator from,
            std::list<std::shared_ptr<Job>>::iterator to) {
    for (auto it = from; it != to; ++it) {
      (*it)->inPlan = false;
      if ((*it)->state == Job::State::Done) bytesAhead -= (*it)->bytes;
    }
    plan.erase(from, to);
  }

  // Returns how many folders were planned after it.
  size_t finish(const std::shared_ptr<Job>& job, std::shared_ptr<FolderContents> result) {
    job->bytes = footprint(*result);
    job->result = std::move(result);
    job->state = Job::State::Done;
    if (job->inPlan) {
      bytesAhead += job->bytes;
      if (foldersAhead == 1) return 0;  // nothing is read ahead
      const auto next = std::next(job->where);
      for (const QString& sub : std::as_const(job->result->subfolders)) {
        auto child = std::make_shared<Job>();
        child->path = sub;
        child->where = plan.insert(next, child);
      }
      return size_t(job->result->subfolders.size());
    }
    return 0;
  }

  static void run(std::shared_ptr<Shared> s) {
    ::pthread_setname_np(::pthread_self(), "folder reader");  // as tools list threads
    FolderChain chain;  // this thread's descriptors and entry buffer
    std::unique_lock<std::mutex> lock(s->mutex);
    while (!s->ended) {
      const std::shared_ptr<Job> job = s->nextJob();
      if (!job) {
        s->work.wait(lock);
        continue;
      }
      job->state = Job::State::Reading;
      const QString path = job->path;
      // What the thread keeps open may have been renamed since; a read again must not use it.
      FolderChain* const through = job->anew ? nullptr : &chain;
      const FolderReadOptions options = s->options;
      const QString text = s->patternText;
      const PatternList patterns = s->patterns;
      lock.unlock();
      std::shared_ptr<FolderContents> result = readFolder(path, options, through);
      matchAhead(*result, patterns, text);
      result->handle.reset();  // closed here and not by the walk, which asks by path
      lock.lock();
      // Wake-ups are costly, one a folder: only the walk waiting for this folder is woken,
      // and the other readers only when there is more than this thread takes next.
      if (s->finish(job, std::move(result)) > 1) s->work.notify_all();
      if (job->awaited) s->done.notify_all();
    }
  }
};

FolderReader::FolderReader(int readers, int foldersAhead)
    : readers_(std::max(1, readers)), foldersAhead_(std::max(1, foldersAhead)) {}

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
  shared_->patterns = PatternList(patterns);
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
  if (!shared_) return;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->ended = true;
    shared_->drop(shared_->plan.begin(), shared_->plan.end());
  }
  shared_->work.notify_all();
  shared_.reset();  // threads still reading let go of it when they return
}

std::shared_ptr<const FolderContents> FolderReader::await(const QString& path, bool fresh) {
  if (!shared_) {
    shared_ = std::make_shared<Shared>();
    shared_->options = options_;
    shared_->foldersAhead = foldersAhead_;
    shared_->patternText = patterns_;
    shared_->patterns = PatternList(patterns_);
    for (int i = 0; i < readers_; ++i) std::thread(&Shared::run, shared_).detach();
  }
  const std::shared_ptr<Shared> s = shared_;
  std::unique_lock<std::mutex> lock(s->mutex);
  auto found = s->plan.begin();
  while (!fresh && found != s->plan.end() && (*found)->path != path) ++found;
  std::shared_ptr<Job> job;
  if (found != s->plan.end() && !fresh) {
    s->drop(s->plan.begin(), found);  // folders the walk did not enter
    job = *found;
  } else {
    s->drop(s->plan.begin(), s->plan.end());  // the walk went elsewhere: plan from here
    job = std::make_shared<Job>();
    job->path = path;
    job->anew = fresh;
    job->where = s->plan.insert(s->plan.end(), job);
    s->work.notify_all();
  }
  job->awaited = true;
  const Clock::time_point start = Clock::now();
  const bool limited = waitLimit_.count() > 0;
  const Clock::time_point limit = start + waitLimit_;
  while (job->state != Job::State::Done) {
    const Clock::time_point now = Clock::now();
    bool keep = !limited || now < limit;
    if (keep && keepWaiting_ && now >= start + kPatientWait) {
      lock.unlock();
      keep = keepWaiting_();
      lock.lock();
      if (job->state == Job::State::Done) break;
    }
    if (!keep) {
      lock.unlock();
      qCWarning(searchLog, "gave up waiting for the folder %s", qUtf8Printable(path));
      stop();  // the stuck read is left to its thread
      return nullptr;
    }
    if (!keepWaiting_ && !limited) {
      s->done.wait(lock);
      continue;
    }
    Clock::time_point wake =
        !keepWaiting_ ? limit : std::max(start + kPatientWait, now + kEventSlice);
    if (limited) wake = std::min(wake, limit);
    s->done.wait_until(lock, wake);
  }
  if (job->inPlan) {
    s->drop(job->where, std::next(job->where));
    s->work.notify_one();  // room for one more ahead
  }
  return job->result;
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

int FolderReader::foldersReadAhead() const {
  if (!shared_) return 0;
  std::lock_guard<std::mutex> lock(shared_->mutex);
  int done = 0;
  for (const auto& job : shared_->plan) done += job->state == Job::State::Done;
  return done;
}

qint64 FolderReader::fileLength(const QString& path) {
  const qsizetype cut = path.lastIndexOf('/');
  if (cut < 0 || !last_ || !last_->ok) return ::fileLength(path);
  const QStringView folder = QStringView(path).left(cut == 0 ? 1 : cut);
  if (folder != last_->path && !(cut > 0 && QStringView(path).left(cut + 1) == last_->path)) {
    return ::fileLength(path);
  }
  const QStringView name = QStringView(path).mid(cut + 1);
  if (last_->matchedFor.isEmpty()) return last_->lengthOf(name);
  // The folder was found unchanged when the walk took it, and nothing of the walk's runs
  // while its files are listed. Only a folder changed so lately that its stamp may hide a
  // change is looked at again for each file: changed, the length is asked by the path its
  // line would show.
  if (last_->recent && !last_->unchanged()) return ::fileLength(path);
  const QStringList& matches = last_->matches;
  qsizetype at = cursor_ < matches.size() && matches[cursor_] == name ? cursor_ : -1;
  if (at < 0) at = matches.indexOf(name);
  if (at < 0) return last_->lengthOf(name);
  cursor_ = at + 1;
  return last_->matchLengths[size_t(at)];
}
