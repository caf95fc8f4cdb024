// A small read-only file system for the tests of drives that stop answering. It serves
//   a/1.jpg (1024 bytes)  a/2.jpg (2048)  r.jpg (512)  slow/s.jpg (4096)  z/3.jpg (3072)
// and holds back the listing of one chosen folder and every statfs of the mount until it
// gets SIGUSR1. Each held-back call, as it begins, appends a line to a marker file, so a
// test can see that it is waiting. Like a daemon waiting on a server that went silent,
// it gives a held call up (EINTR) when the kernel interrupts it because the caller is
// ending: until a call is answered, the kernel keeps its caller's process from ending.
// With "ignore-interrupts" it holds on all the same, as a hung network share does: the
// caller's process then cannot end until the release.
//   stallfs MOUNT-POINT HELD-FOLDER MARKER-FILE [ignore-interrupts]
// (runs in the foreground until unmounted)
#define FUSE_USE_VERSION 31
#include <fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Node {
  const char* path;
  bool folder;
  off_t size;
};

const Node kNodes[] = {
    {"/", true, 0},
    {"/a", true, 0},
    {"/a/1.jpg", false, 1024},
    {"/a/2.jpg", false, 2048},
    {"/r.jpg", false, 512},
    {"/slow", true, 0},
    {"/slow/s.jpg", false, 4096},
    {"/z", true, 0},
    {"/z/3.jpg", false, 3072},
};

std::atomic<bool> g_released{false};
std::string g_held;
std::string g_marker;
bool g_ignoreInterrupts = false;
pid_t g_parent = 0;

void release(int) {
  g_released = true;
}

// False when the call was interrupted instead of released.
bool holdBack(const char* what) {
  if (FILE* f = std::fopen(g_marker.c_str(), "a")) {
    std::fprintf(f, "%s\n", what);
    std::fclose(f);
  }
  // Should the test end without releasing, nothing stays held back after it.
  while (!g_released && ::getppid() == g_parent) {
    if (!g_ignoreInterrupts && fuse_interrupted()) return false;
    ::usleep(5000);
  }
  return true;
}

const Node* find(const char* path) {
  for (const Node& n : kNodes) {
    if (std::strcmp(n.path, path) == 0) return &n;
  }
  return nullptr;
}

// The name of `child` when it lies directly in `folder`, else null.
const char* nameIn(const char* folder, const char* child) {
  const size_t n = std::strlen(folder);
  if (std::strcmp(child, folder) == 0 || std::strncmp(child, folder, n) != 0) return nullptr;
  const char* rest = child + n;
  if (n > 1) {
    if (*rest != '/') return nullptr;
    ++rest;
  }
  return std::strchr(rest, '/') ? nullptr : rest;
}

int getAttr(const char* path, struct stat* st, fuse_file_info*) {
  const Node* n = find(path);
  if (!n) return -ENOENT;
  std::memset(st, 0, sizeof *st);
  st->st_mode = n->folder ? (S_IFDIR | 0755) : (S_IFREG | 0644);
  st->st_nlink = n->folder ? 2 : 1;
  st->st_size = n->size;
  return 0;
}

int readDir(const char* path, void* buf, fuse_fill_dir_t fill, off_t, fuse_file_info*,
            fuse_readdir_flags) {
  const Node* n = find(path);
  if (!n || !n->folder) return -ENOENT;
  if (g_held == path && !holdBack("readdir")) return -EINTR;
  fill(buf, ".", nullptr, 0, fuse_fill_dir_flags(0));
  fill(buf, "..", nullptr, 0, fuse_fill_dir_flags(0));
  for (const Node& c : kNodes) {
    if (const char* name = nameIn(path, c.path))
      fill(buf, name, nullptr, 0, fuse_fill_dir_flags(0));
  }
  return 0;
}

int statFs(const char*, struct statvfs* st) {
  if (!holdBack("statfs")) return -EINTR;
  std::memset(st, 0, sizeof *st);
  st->f_bsize = 4096;
  st->f_blocks = 1024;
  st->f_namemax = 255;
  return 0;
}

int openFile(const char* path, fuse_file_info*) {
  const Node* n = find(path);
  return n && !n->folder ? 0 : -ENOENT;
}

int readFile(const char* path, char* buf, size_t size, off_t offset, fuse_file_info*) {
  const Node* n = find(path);
  if (!n || n->folder) return -ENOENT;
  if (offset >= n->size) return 0;
  const size_t count = std::min(size, size_t(n->size - offset));
  std::memset(buf, 0, count);
  return int(count);
}

}  // namespace

int main(int argc, char** argv) {
  const bool ignoring = argc == 5 && std::strcmp(argv[4], "ignore-interrupts") == 0;
  if (argc != 4 && !ignoring) {
    std::fprintf(stderr,
                 "usage: stallfs MOUNT-POINT HELD-FOLDER MARKER-FILE [ignore-interrupts]\n");
    return 2;
  }
  g_ignoreInterrupts = ignoring;
  g_parent = ::getppid();
  g_held = argv[2];
  g_marker = argv[3];
  struct sigaction sa {};
  sa.sa_handler = release;
  sigaction(SIGUSR1, &sa, nullptr);
  fuse_operations ops{};
  ops.getattr = getAttr;
  ops.readdir = readDir;
  ops.statfs = statFs;
  ops.open = openFile;
  ops.read = readFile;
  std::vector<char*> args{argv[0], const_cast<char*>("-f"), const_cast<char*>("-o"),
                          const_cast<char*>("fsname=stallfs"), argv[1]};
  return fuse_main(int(args.size()), args.data(), &ops, nullptr);
}
