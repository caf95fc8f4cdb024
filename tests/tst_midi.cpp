#include <fluidsynth.h>

#include <QTest>
#include <cmath>

#include "media/midi/midisequencer.h"
#include "media/midi/midisong.h"
#include "media/midi/midistream.h"
#include "media/midi/miditempomap.h"

namespace {

QByteArray be(uint32_t v, int bytes) {
  QByteArray out;
  for (int i = bytes - 1; i >= 0; --i) out.append(char(v >> (8 * i)));
  return out;
}

QByteArray vlq(uint32_t v) {
  QByteArray out(1, char(v & 0x7F));
  while (v >>= 7) out.prepend(char(0x80 | (v & 0x7F)));
  return out;
}

// Events are written as (delta ticks, raw bytes).
struct Track {
  QByteArray body;
  Track& at(uint32_t delta, QByteArray bytes) {
    body += vlq(delta) + bytes;
    return *this;
  }
  Track& tempo(uint32_t delta, uint32_t micros) {
    return at(delta, QByteArray("\xFF\x51\x03", 3) + be(micros, 3));
  }
  QByteArray chunk(bool endMarker = true) const {
    const QByteArray data = endMarker ? body + QByteArray("\x00\xFF\x2F\x00", 4) : body;
    return "MTrk" + be(uint32_t(data.size()), 4) + data;
  }
};

QByteArray bytes(std::initializer_list<int> list) {
  QByteArray out;
  for (int b : list) out.append(char(b));
  return out;
}

QByteArray smf(int format, uint16_t division, const QList<QByteArray>& tracks) {
  QByteArray out =
      "MThd" + be(6, 4) + be(format, 2) + be(uint32_t(tracks.size()), 2) + be(division, 2);
  for (const QByteArray& t : tracks) out += t;
  return out;
}

bool parse(const QByteArray& data, MidiSong* song) {
  return parseMidi(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()), song);
}

int countStatus(const MidiSong& song, int kind) {
  int n = 0;
  for (const MidiEvent& e : song.events) n += (e.status & 0xF0) == kind;
  return n;
}

}  // namespace

class TestMidi : public QObject {
  Q_OBJECT

 private slots:
  void tempoMap_data() {
    QTest::addColumn<int>("tick");
    QTest::addColumn<double>("seconds");
    QTest::newRow("start") << 0 << 0.0;
    QTest::newRow("120 bpm by default") << 96 << 0.5;
    QTest::newRow("at the change") << 384 << 2.0;
    QTest::newRow("after halving") << 480 << 3.0;
    QTest::newRow("after doubling back") << 672 << 4.25;
  }
  // 96 ticks a quarter; 60 bpm from tick 384, 240 bpm from tick 576 (given out of order).
  void tempoMap() {
    QFETCH(int, tick);
    QFETCH(double, seconds);
    MidiTempoMap map = MidiTempoMap::metrical(96);
    map.addTempo(576, 250000);
    map.addTempo(384, 1000000);
    map.addTempo(100, 0);  // no tempo at all: ignored
    QCOMPARE(map.seconds(tick), seconds);
  }

  void smpteTime() {
    const MidiTempoMap map = MidiTempoMap::smpte(25, 40);
    QCOMPARE(map.seconds(1000), 1.0);
  }

  void songs_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("notes");
    QTest::addColumn<double>("lastNote");

    Track conductor;
    conductor.tempo(0, 500000).tempo(192, 1000000);  // 1 s at 120 bpm, then 60 bpm
    Track melody;
    melody.at(0, bytes({0x90, 60, 100}))
        .at(96, bytes({0x80, 60, 0}))  // 0 .. 0.5 s
        .at(96, bytes({0x90, 62, 100}))
        .at(96, bytes({0x90, 62, 0}))              // 1 .. 2 s, velocity 0
        .at(960, bytes({0xFF, 0x01, 0x01, 'x'}));  // marker long after
    QTest::newRow("format 1, tempo from the conductor")
        << smf(1, 96, {conductor.chunk(), melody.chunk()}) << 4 << 2.0;

    Track single;
    single.tempo(0, 250000)
        .at(0, bytes({0x90, 60, 90}))
        .at(48, bytes({62, 90}))  // running status
        .at(48, bytes({60, 0}))
        .at(0, bytes({62, 0}));
    QTest::newRow("format 0, running status") << smf(0, 96, {single.chunk()}) << 4 << 0.25;

    QByteArray cut = smf(0, 96, {single.chunk()});
    cut.chop(6);  // the chunk claims more bytes than there are
    QTest::newRow("track cut short") << cut << 3 << 0.25;

    Track damaged;
    damaged.at(0, bytes({0x90, 60, 90}))
        .at(96, bytes({0x80, 60, 0}))
        .at(0, bytes({0xF1, 1}))
        .at(0, bytes({0x90, 64, 90}));
    QTest::newRow("damaged event ends the track") << smf(0, 96, {damaged.chunk()}) << 2 << 0.5;

    QByteArray rmid = "RMID" + QByteArray("data") + QByteArray(4, 0);  // length patched below
    const QByteArray inner = smf(0, 96, {single.chunk()});
    rmid = "RIFF" + be(0, 4) + "RMID" + "data";
    for (int i = 0; i < 4; ++i) rmid.append(char(inner.size() >> (8 * i)));
    rmid += inner;
    QTest::newRow("RIFF RMID wrapper") << rmid << 4 << 0.25;

    Track far;
    far.at(0, bytes({0x90, 60, 90})).at(0x0FFFFFFF, bytes({0x80, 60, 0}));
    QTest::newRow("absurd delta is cut") << smf(0, 1, {far.chunk()}) << 1 << 0.0;

    Track extra;
    extra.at(0, bytes({0x90, 60, 90})).at(96, bytes({0x80, 60, 0}));
    QTest::newRow("unknown chunks skipped")
        << smf(0, 96, {"XFIH" + be(3, 4) + "abc", extra.chunk()}) << 2 << 0.5;
  }

  // The length is the last note plus the tail, whatever the End-of-Track says.
  void songs() {
    QFETCH(QByteArray, file);
    QFETCH(int, notes);
    QFETCH(double, lastNote);
    MidiSong song;
    QVERIFY(parse(file, &song));
    QCOMPARE(countStatus(song, 0x90) + countStatus(song, 0x80), notes);
    QCOMPARE(song.lastNoteSeconds, lastNote);
    QCOMPARE(song.lengthSeconds(), lastNote + MidiSong::kTailSeconds);
    QVERIFY(song.lengthSeconds() < MidiSong::kMaxSeconds + MidiSong::kTailSeconds);
    for (size_t i = 1; i < song.events.size(); ++i)
      QVERIFY(song.events[i - 1].seconds <= song.events[i].seconds);
  }

  void refused_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("This is not music at all.");
    QTest::newRow("header only") << smf(0, 96, {});
    QTest::newRow("division zero") << smf(0, 0, {Track().chunk()});
    QTest::newRow("format 3") << smf(3, 96, {Track().chunk()});
    QTest::newRow("header length past the end")
        << QByteArray("MThd\xFF\xFF\xFF\xF0\0\0\0\1\0\x60", 14);
    QTest::newRow("RIFF but not RMID") << QByteArray("RIFF\4\0\0\0WAVEdata", 16);
    Track silent;
    silent.tempo(0, 500000).at(0, bytes({0xC0, 1})).at(96, bytes({0xB0, 7, 100}));
    QTest::newRow("no notes") << smf(1, 96, {silent.chunk()});
  }
  void refused() {
    QFETCH(QByteArray, file);
    MidiSong song;
    QVERIFY(!parse(file, &song));
  }

  void sysexKeepsItsPayload() {
    Track t;
    t.at(0, bytes({0xF0, 5, 0x7E, 0x7F, 0x09, 0x01, 0xF7})).at(0, bytes({0x90, 60, 90}));
    MidiSong song;
    QVERIFY(parse(smf(0, 96, {t.chunk()}), &song));
    QCOMPARE(song.events.front().status, uint8_t(0xF0));
    QCOMPARE(song.sysex.at(0), (std::vector<uint8_t>{0x7E, 0x7F, 0x09, 0x01}));
  }

  // A seek silences what sounded and restores the programs set before it.
  void sequencerSeek() {
    const std::string font = midiSoundFont();
    if (font.empty()) QSKIP("no General MIDI SoundFont installed");
    Track t;
    t.at(0, bytes({0xC0, 40}))
        .at(0, bytes({0x90, 60, 127}))
        .at(192, bytes({0x80, 60, 0}))
        .at(960, bytes({0x90, 64, 127}))
        .at(96, bytes({0x80, 64, 0}));
    auto song = std::make_shared<MidiSong>();
    QVERIFY(parse(smf(0, 96, {t.chunk()}), song.get()));  // notes 0..1 s and 6..6.5 s

    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", 44100);
    fluid_synth_t* synth = new_fluid_synth(settings);
    QVERIFY(fluid_synth_sfload(synth, font.c_str(), 1) >= 0);
    MidiSequencer sequencer(song, synth, 44100);
    QCOMPARE(sequencer.totalFrames(), qint64(std::llround((6.5 + MidiSong::kTailSeconds) * 44100)));

    std::vector<int16_t> buffer(4410 * 2);
    auto peak = [&] {
      int p = 0;
      for (int16_t s : buffer) p = std::max(p, std::abs(int(s)));
      return p;
    };
    sequencer.render(buffer.data(), 4410);  // 0.1 s into the first note
    QVERIFY(peak() > 1000);
    sequencer.seek(44100 * 3);  // between the notes
    sequencer.render(buffer.data(), 4410);
    QVERIFY2(peak() < 50, qPrintable(QString::number(peak())));
    int sfont = 0, bank = 0, program = 0;
    fluid_synth_get_program(synth, 0, &sfont, &bank, &program);
    QCOMPARE(program, 40);
    sequencer.seek(int64_t(44100 * 5.95));  // the second note starts within the block
    sequencer.render(buffer.data(), 4410);
    QVERIFY(peak() > 1000);
    QCOMPARE(sequencer.position(), int64_t(44100 * 5.95) + 4410);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
  }
};

QTEST_MAIN(TestMidi)
#include "tst_midi.moc"
