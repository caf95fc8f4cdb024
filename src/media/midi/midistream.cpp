#include "media/midi/midistream.h"

#include <fluidsynth.h>
#include <mpv/client.h>
#include <mpv/stream_cb.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

#include "media/medialog.h"
#include "media/midi/midisequencer.h"
#include "media/midi/midisong.h"

namespace {

constexpr char kProtocol[] = "midi";
constexpr int kRate = 44100;
constexpr int kHeaderBytes = 44;
constexpr int kFrameBytes = 4;  // stereo, 16-bit
constexpr int kBlockFrames = 4096;
constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;  // songs are kilobytes; anything more is not one

void putLe(uint8_t* p, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = uint8_t(v >> (8 * i));
}

// The library reports through its own log; only real errors deserve a line.
void logError(int, const char* message, void*) {
  qCWarning(mediaLog, "music: %s", message);
}
void quietLogs() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_PANIC, logError, nullptr);
    fluid_set_log_function(FLUID_ERR, logError, nullptr);
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
    fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
  });
}

bool readSong(const std::string& path, MidiSong* song) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size <= 0 || size > std::streamoff(kMaxFileBytes)) return false;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), size);
  return parseMidi(bytes.data(), size_t(in.gcount()), song);
}

// Loading the SoundFont takes about 0.3 s, so the synthesiser of a closed song
// is kept for the next one (one at a time: songs rarely overlap).
class SynthPool {
 public:
  static SynthPool& instance() {
    static SynthPool pool;
    return pool;
  }

  fluid_synth_t* acquire() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (idle_) {
        fluid_synth_t* synth = idle_;
        idle_ = nullptr;
        return synth;
      }
    }
    fluid_synth_t* synth = new_fluid_synth(settings_);
    if (!synth) return nullptr;
    const std::string font = midiSoundFont();
    if (!font.empty() && fluid_synth_sfload(synth, font.c_str(), 1) < 0)
      qCWarning(mediaLog, "music: the SoundFont %s could not be read", font.c_str());
    return synth;
  }

  void release(fluid_synth_t* synth) {
    // Silence and reset now, so that nothing of this song reaches the next.
    fluid_synth_all_sounds_off(synth, -1);
    int16_t scratch[64 * 2];
    fluid_synth_write_s16(synth, 64, scratch, 0, 2, scratch, 1, 2);
    fluid_synth_system_reset(synth);
    std::lock_guard<std::mutex> hold(lock_);
    if (!idle_) {
      idle_ = synth;
      return;
    }
    delete_fluid_synth(synth);
  }

 private:
  SynthPool() {
    quietLogs();
    settings_ = new_fluid_settings();
    fluid_settings_setnum(settings_, "synth.sample-rate", kRate);
    fluid_settings_setnum(settings_, "synth.gain", 0.4);
    fluid_settings_setint(settings_, "synth.threadsafe-api", 0);  // a Stream serialises its calls
    // Reads the instruments a song uses when it selects them: halves the load time.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
  }
  // Lives as long as the process: streams may close during shutdown.
  ~SynthPool() = default;

  std::mutex lock_;
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* idle_ = nullptr;
};

// One open song: a WAV header followed by sound rendered as it is read.
class Stream {
 public:
  ~Stream() {
    sequencer_.reset();
    if (synth_) SynthPool::instance().release(synth_);
  }

  bool open(const std::string& path) {
    auto song = std::make_shared<MidiSong>();
    if (!readSong(path, song.get())) return false;
    synth_ = SynthPool::instance().acquire();
    if (!synth_) return false;
    sequencer_ = std::make_unique<MidiSequencer>(song, synth_, kRate);
    const uint32_t dataBytes = uint32_t(sequencer_->totalFrames() * kFrameBytes);
    size_ = kHeaderBytes + int64_t(dataBytes);
    writeHeader(dataBytes);
    return true;
  }

  int64_t read(char* buf, uint64_t want) {
    std::lock_guard<std::mutex> hold(lock_);
    int64_t done = 0;
    while (want > 0 && pos_ < size_) {
      const int64_t n = copyAt(buf + done, int64_t(std::min<uint64_t>(want, 1 << 20)));
      done += n;
      pos_ += n;
      want -= uint64_t(n);
    }
    return done;
  }

  int64_t seek(int64_t offset) {
    std::lock_guard<std::mutex> hold(lock_);
    if (offset < 0 || offset > size_) return MPV_ERROR_GENERIC;
    pos_ = offset;
    return pos_;
  }

  int64_t size() const { return size_; }

 private:
  void writeHeader(uint32_t dataBytes) {
    uint8_t* h = header_;
    std::memcpy(h, "RIFF", 4);
    putLe(h + 4, 36 + dataBytes, 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    putLe(h + 16, 16, 4);
    putLe(h + 20, 1, 2);  // PCM
    putLe(h + 22, 2, 2);
    putLe(h + 24, kRate, 4);
    putLe(h + 28, kRate * kFrameBytes, 4);
    putLe(h + 32, kFrameBytes, 2);
    putLe(h + 34, 16, 2);
    std::memcpy(h + 36, "data", 4);
    putLe(h + 40, dataBytes, 4);
  }

  // Copies bytes at pos_ (header, or sound rendered into the current block).
  int64_t copyAt(char* out, int64_t want) {
    if (pos_ < kHeaderBytes) {
      const int64_t n = std::min<int64_t>(want, kHeaderBytes - pos_);
      std::memcpy(out, header_ + pos_, size_t(n));
      return n;
    }
    if (pos_ < blockStart_ || pos_ >= blockStart_ + blockBytes_) renderBlockAt(pos_);
    const int64_t n = std::min<int64_t>(want, blockStart_ + blockBytes_ - pos_);
    std::memcpy(out, reinterpret_cast<const char*>(block_.data()) + (pos_ - blockStart_),
                size_t(n));
    return n;
  }

  void renderBlockAt(int64_t offset) {
    const int64_t frame = (offset - kHeaderBytes) / kFrameBytes;
    if (frame != sequencer_->position()) sequencer_->seek(frame);
    const int frames = int(std::min<int64_t>(kBlockFrames, sequencer_->totalFrames() - frame));
    block_.resize(size_t(frames) * 2);
    sequencer_->render(block_.data(), frames);
    blockStart_ = kHeaderBytes + frame * kFrameBytes;
    blockBytes_ = int64_t(frames) * kFrameBytes;
  }

  std::mutex lock_;
  fluid_synth_t* synth_ = nullptr;
  std::unique_ptr<MidiSequencer> sequencer_;
  uint8_t header_[kHeaderBytes] = {};
  int64_t size_ = 0;
  int64_t pos_ = 0;
  std::vector<int16_t> block_;
  int64_t blockStart_ = 0;
  int64_t blockBytes_ = 0;
};

int64_t readFn(void* cookie, char* buf, uint64_t n) {
  return static_cast<Stream*>(cookie)->read(buf, n);
}
int64_t seekFn(void* cookie, int64_t offset) {
  return static_cast<Stream*>(cookie)->seek(offset);
}
int64_t sizeFn(void* cookie) {
  return static_cast<Stream*>(cookie)->size();
}
void closeFn(void* cookie) {
  delete static_cast<Stream*>(cookie);
}

int openFn(void*, char* uri, mpv_stream_cb_info* info) {
  const size_t prefix = std::strlen(kProtocol) + 3;
  if (std::strncmp(uri, "midi://", prefix) != 0) return MPV_ERROR_LOADING_FAILED;
  auto stream = std::make_unique<Stream>();
  if (!stream->open(uri + prefix)) return MPV_ERROR_LOADING_FAILED;
  info->cookie = stream.release();
  info->read_fn = readFn;
  info->seek_fn = seekFn;
  info->size_fn = sizeFn;
  info->close_fn = closeFn;
  return 0;
}

}  // namespace

bool addMidiProtocol(mpv_handle* mpv) {
  quietLogs();
  return mpv_stream_cb_add_ro(mpv, kProtocol, nullptr, openFn) >= 0;
}

std::string midiUrl(const std::string& path) {
  return std::string(kProtocol) + "://" + path;
}

std::string midiSoundFont() {
  for (const char* path :
       {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/default-GM.sf2"}) {
    if (std::ifstream(path).good()) return path;
  }
  return {};
}
