#include "media/midi/midisong.h"

#include <algorithm>
#include <cstring>

#include "media/midi/miditempomap.h"

namespace {

// Real songs have a few thousand events; these bounds only stop hostile files
// from taking the memory of the machine.
constexpr size_t kMaxEvents = 4'000'000;
constexpr size_t kMaxSysexBytes = 4 * 1024 * 1024;
constexpr size_t kMaxTracks = 65535;

uint32_t be32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}
uint16_t be16(const uint8_t* p) {
  return uint16_t(p[0] << 8 | p[1]);
}
uint32_t le32(const uint8_t* p) {
  return uint32_t(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
}

// A bounded reader over one track's bytes.
class Cursor {
 public:
  Cursor(const uint8_t* p, size_t n) : p_(p), end_(p + n) {}
  bool atEnd() const { return p_ >= end_; }
  size_t left() const { return size_t(end_ - p_); }
  bool byte(uint8_t* out) {
    if (atEnd()) return false;
    *out = *p_++;
    return true;
  }
  // Variable-length quantity: at most four bytes (28 bits).
  bool vlq(uint32_t* out) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b;
      if (!byte(&b)) return false;
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80)) {
        *out = v;
        return true;
      }
    }
    return false;
  }
  const uint8_t* take(size_t n) {
    if (n > left()) return nullptr;
    const uint8_t* start = p_;
    p_ += n;
    return start;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

struct RawEvent {
  uint64_t tick;
  MidiEvent event;
};

struct Reader {
  std::vector<RawEvent> raw;
  std::vector<std::pair<uint64_t, uint32_t>> tempos;
  std::vector<std::vector<uint8_t>> sysex;
  size_t sysexBytes = 0;

  void addSysex(uint64_t tick, const uint8_t* p, size_t n) {
    if (n && p[n - 1] == 0xF7) --n;  // the payload is handed on without framing
    if (n == 0 || sysexBytes + n > kMaxSysexBytes) return;
    sysexBytes += n;
    MidiEvent e;
    e.status = 0xF0;
    e.sysex = uint32_t(sysex.size());
    sysex.emplace_back(p, p + n);
    raw.push_back({tick, e});
  }

  // Reads one track; damage ends the track but keeps what came before it.
  void track(const uint8_t* p, size_t n) {
    Cursor c(p, n);
    uint64_t tick = 0;
    uint8_t running = 0;
    while (!c.atEnd() && raw.size() < kMaxEvents) {
      uint32_t delta;
      uint8_t status;
      if (!c.vlq(&delta) || !c.byte(&status)) return;
      tick += delta;
      if (status < 0x80) {  // running status: this byte is already data
        if (!running) return;
        if (!channelMessage(c, tick, running, status)) return;
      } else if (status < 0xF0) {
        running = status;
        uint8_t first;
        if (!c.byte(&first) || !channelMessage(c, tick, status, first)) return;
      } else if (status == 0xF0 || status == 0xF7) {
        uint32_t len;
        const uint8_t* body;
        if (!c.vlq(&len) || !(body = c.take(len))) return;
        if (status == 0xF0) addSysex(tick, body, len);  // F7 escapes are not replayed
        running = 0;
      } else if (status == 0xFF) {
        uint8_t type;
        uint32_t len;
        const uint8_t* body;
        if (!c.byte(&type) || !c.vlq(&len) || !(body = c.take(len))) return;
        if (type == 0x2F) return;  // End of Track
        if (type == 0x51 && len >= 3)
          tempos.push_back({tick, uint32_t(body[0] << 16 | body[1] << 8 | body[2])});
      } else {
        return;  // system real-time and common messages do not belong in a file
      }
    }
  }

  bool channelMessage(Cursor& c, uint64_t tick, uint8_t status, uint8_t first) {
    MidiEvent e;
    e.status = status;
    e.data1 = first & 0x7F;
    const uint8_t kind = status & 0xF0;
    if (kind != 0xC0 && kind != 0xD0) {
      uint8_t second;
      if (!c.byte(&second)) return false;
      e.data2 = second & 0x7F;
    }
    raw.push_back({tick, e});
    return true;
  }
};

bool fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}

// Finds the SMF inside a RIFF RMID wrapper; a plain file is returned as it is.
bool unwrapRmid(const uint8_t*& data, size_t& size) {
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0) return true;
  if (std::memcmp(data + 8, "RMID", 4) != 0) return false;
  size_t pos = 12;
  while (size - pos >= 8) {
    const uint32_t len = le32(data + pos + 4);
    if (std::memcmp(data + pos, "data", 4) == 0) {
      data += pos + 8;
      size = std::min<size_t>(len, size - pos - 8);
      return true;
    }
    const uint64_t next = uint64_t(pos) + 8 + len + (len & 1);
    if (next > size) return false;
    pos = size_t(next);
  }
  return false;
}

}  // namespace

bool looksLikeMidi(const uint8_t* data, size_t size) {
  if (size >= 4 && std::memcmp(data, "MThd", 4) == 0) return true;
  return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "RMID", 4) == 0;
}

bool parseMidi(const uint8_t* data, size_t size, MidiSong* song, std::string* error) {
  *song = MidiSong();
  if (!data || !unwrapRmid(data, size)) return fail(error, "not a MIDI file");
  if (size < 14 || std::memcmp(data, "MThd", 4) != 0) return fail(error, "not a MIDI file");
  const uint32_t headerLen = be32(data + 4);
  if (headerLen < 6 || headerLen > size - 8) return fail(error, "damaged MIDI header");
  const uint16_t format = be16(data + 8);
  const uint16_t division = be16(data + 12);
  if (format > 2) return fail(error, "unknown MIDI format");
  if (division == 0) return fail(error, "damaged MIDI header");

  MidiTempoMap map = MidiTempoMap::metrical(division);
  if (division & 0x8000) {
    const int fps = -int(int8_t(division >> 8));
    if (fps <= 0 || (division & 0xFF) == 0) return fail(error, "damaged MIDI header");
    map = MidiTempoMap::smpte(fps == 29 ? 30 : fps, division & 0xFF);
  }

  // Every MTrk chunk is read, whatever the header's count says; a chunk whose
  // length overshoots the file keeps the bytes that are there.
  Reader reader;
  reader.raw.reserve(std::min(kMaxEvents, size / 3));  // most events take 3 or 4 bytes
  size_t pos = 8 + headerLen, tracks = 0;
  while (size - pos >= 8 && tracks < kMaxTracks) {
    const size_t len = std::min<size_t>(be32(data + pos + 4), size - pos - 8);
    if (std::memcmp(data + pos, "MTrk", 4) == 0) {
      reader.track(data + pos + 8, len);
      ++tracks;
    }
    pos += 8 + len;
  }
  if (tracks == 0) return fail(error, "no MIDI tracks");

  for (const auto& t : reader.tempos) map.addTempo(t.first, t.second);
  // Playing order: by tick, and within a tick by track and file order.
  std::stable_sort(reader.raw.begin(), reader.raw.end(),
                   [](const RawEvent& a, const RawEvent& b) { return a.tick < b.tick; });
  song->events.reserve(reader.raw.size());
  for (RawEvent& r : reader.raw) {
    r.event.seconds = map.seconds(r.tick);
    if (r.event.seconds > MidiSong::kMaxSeconds) break;
    const uint8_t kind = r.event.status & 0xF0;
    if (kind == 0x80 || kind == 0x90) {
      song->hasNotes = true;
      song->lastNoteSeconds = std::max(song->lastNoteSeconds, r.event.seconds);
    }
    song->events.push_back(r.event);
  }
  song->sysex = std::move(reader.sysex);
  if (!song->hasNotes) return fail(error, "no notes to play");
  return true;
}
