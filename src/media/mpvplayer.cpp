#include "media/mpvplayer.h"

#include <dlfcn.h>
#include <mpv/client.h>
#include <mpv/render.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <clocale>
#include <cmath>
#include <cstring>

#include "media/medialog.h"
#include "media/midi/midisong.h"
#include "media/midi/midistream.h"
#include "media/mpvview.h"
#include "units/pixels.h"

namespace {

// A file that mpv has not even loaded by then is given up; one loaded but not yet
// playing by then is shown as it is known (a film without its picture like sound).
constexpr int kLoadDeadlineMs = 15000;
// mpv starts a film once its first picture is ready, so the size comes before the
// playing starts. A film playing without one for this long has no picture to show.
constexpr int kPictureGraceMs = 1000;
// How far the engine's position of a sound may stray from our clock and still be taken.
constexpr double kSoundSlack = 0.3;
// A file whose position stands still this long while it should play is taken as ended,
// so that the advance never waits for an end the engine does not report.
constexpr int kStillMs = 5000;

// Observed properties (reply_userdata of their change events). Those of a file are
// observed anew for each file once mpv has loaded it, tagged with the file's generation:
// mpv reports a change only when the value differs from the last one it delivered, so an
// observation kept across files would miss an end (eof-reached true, false for the next
// file, true again, all before our thread drains the events) or a size the next file
// shares, and a change of the old file could still be read as one of the new.
enum Property : int { kDuration = 1, kTimePos, kWidth, kHeight, kTurn, kEof, kAudioOut };
// Replies to our asynchronous requests, tagged with the file's generation.
enum Reply : int { kLoad = 16, kSeek, kGetVideo, kGetDuration, kGetPosition };
// The reply to the last setting of the part to render: the number of that setting,
// marked by the top bit (apart from the file's replies, whatever its generation).
constexpr uint64_t kPartMark = uint64_t(1) << 63;

// Options decided once for every file. Films must play in real time on a machine
// without a sound card, and no user configuration may change what we play.
const char* const kOptions[][2] = {
    {"config", "no"},
    {"terminal", "no"},
    {"msg-level", "all=no"},
    {"idle", "yes"},
    // At the end the file stays loaded on its last frame, so seeking back and running
    // again work like on a stopped player.
    {"keep-open", "yes"},
    // Without this mpv pauses itself at the end, once the sound has drained. That pause
    // is a global setting: arriving after the next file was asked for (the window moves
    // on as soon as the end is known), it left the next file paused on its first frame.
    {"keep-open-pause", "no"},
    {"vo", "libmpv"},
    {"hwdec", "no"},
    // The software renderer cannot turn a picture: it crops the unturned picture to
    // the turned size and aborts the program. mpv keeps every picture as decoded,
    // and the view turns it (see kTurn).
    {"video-rotate", "no"},
    // Pulse also reaches PipeWire servers; probing PipeWire itself only adds noise.
    {"ao", "pulse,alsa"},
    {"audio-fallback-to-null", "yes"},
    // The default offset makes the render call wait about 39 ms per frame on our thread.
    {"video-timing-offset", "0"},
    // MPEG program streams otherwise land about 0.4 s late after a seek.
    {"hr-seek-demuxer-offset", "0.6"},
    // Without it, IMA ADPCM sound seeks past 1.5 s end the file.
    {"cache", "yes"},
    // What is read ahead of (and kept behind) the position: a local file needs little,
    // and the defaults (150 and 50 MiB) hold hundreds of MB of a long film in memory.
    {"demuxer-max-bytes", "16MiB"},
    {"demuxer-max-back-bytes", "4MiB"},
    {"input-default-bindings", "no"},
    {"input-vo-keyboard", "no"},
    {"osc", "no"},
    {"osd-level", "0"},
    {"ytdl", "no"},
    {"load-scripts", "no"},
    {"audio-display", "no"},
    {"sub-auto", "no"},
    {"audio-file-auto", "no"},
    // A film is played as the file it is, never as a pointer to other files.
    {"access-references", "no"},
};

// The playlist entry that a load command created (its reply's "playlist_entry_id").
int64_t entryIdOf(const mpv_node& result) {
  if (result.format != MPV_FORMAT_NODE_MAP) return -1;
  const mpv_node_list* map = result.u.list;
  for (int i = 0; i < map->num; ++i) {
    if (std::strcmp(map->keys[i], "playlist_entry_id") == 0 &&
        map->values[i].format == MPV_FORMAT_INT64)
      return map->values[i].u.int64;
  }
  return -1;
}

// Why mpv unloaded a file, as the log says it.
const char* endReasonName(mpv_end_file_reason reason) {
  switch (reason) {
    case MPV_END_FILE_REASON_EOF:
      return "at its end";
    case MPV_END_FILE_REASON_STOP:
      return "by a stop";
    case MPV_END_FILE_REASON_QUIT:
      return "by the engine's quit";
    case MPV_END_FILE_REASON_ERROR:
      return "by an error";
    case MPV_END_FILE_REASON_REDIRECT:
      return "by a redirection";
  }
  return "for an unknown reason";
}

bool isMidiFile(const QString& path) {
  // Only a regular file is read here: a pipe or a device could block the window, and
  // reading would take the bytes mpv needs.
  if (!QFileInfo(path).isFile()) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(12);
  return looksLikeMidi(reinterpret_cast<const uint8_t*>(head.constData()), size_t(head.size()));
}

// ALSA reports every failed probe of a missing sound card on stderr, a dozen
// lines per file. The library is there only through libmpv, so it is reached
// at run time; the fallback is announced once instead (see kAudioOut).
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
void quietAlsa() {
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetHandler = int (*)(Handler);
  if (void* set = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler"))
    reinterpret_cast<SetHandler>(set)(ignoreAlsaError);
}

}  // namespace

MpvPlayer::MpvPlayer(QWidget* area) : area_(area), view_(new MpvView(area)) {
  view_->hide();
  openDeadline_.setSingleShot(true);
  connect(&openDeadline_, &QTimer::timeout, this, [this] {
    if (phase_ == Phase::Starting)
      finishOpening(true);
    else if (phase_ == Phase::Loading)
      giveUp(QStringLiteral("not loaded in time"));
  });
  soundEnd_.setSingleShot(true);
  soundEnd_.setTimerType(Qt::PreciseTimer);
  connect(&soundEnd_, &QTimer::timeout, this, &MpvPlayer::reachedEnd);
  stillWatch_.setInterval(500);
  connect(&stillWatch_, &QTimer::timeout, this, [this] {
    if (state() != State::Running || stillSince_.elapsed() < kStillMs) return;
    qCWarning(mediaLog, "%s: the position stood still for %d s while playing; taken as ended",
              qPrintable(fileName_), kStillMs / 1000);
    reachedEnd();
  });
}

MpvPlayer::~MpvPlayer() {
  delete view_.data();
  if (render_) {
    mpv_render_context_set_update_callback(render_, nullptr, nullptr);
    mpv_render_context_free(render_);
  }
  if (mpv_) {
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
  }
}

bool MpvPlayer::startEngine() {
  if (mpv_) return true;
  std::setlocale(LC_NUMERIC, "C");  // mpv parses and prints numbers with '.'
  quietAlsa();
  mpv_ = mpv_create();
  if (!mpv_) return false;
  for (const auto& option : kOptions) mpv_set_option_string(mpv_, option[0], option[1]);
  if (mpv_initialize(mpv_) < 0) {
    qCWarning(mediaLog, "the media engine could not start");
    mpv_terminate_destroy(mpv_);
    mpv_ = nullptr;
    return false;
  }
  mpv_observe_property(mpv_, kAudioOut, "current-ao", MPV_FORMAT_STRING);
  addMidiProtocol(mpv_);

  char api[] = MPV_RENDER_API_TYPE_SW;
  mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, api},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  if (mpv_render_context_create(&render_, mpv_, params) < 0) render_ = nullptr;
  // Both callbacks come on mpv's threads: they only post to ours, once at a time.
  if (render_) {
    mpv_render_context_set_update_callback(
        render_,
        [](void* self) {
          auto* player = static_cast<MpvPlayer*>(self);
          if (!player->renderPosted_.exchange(true))
            QMetaObject::invokeMethod(player, &MpvPlayer::renderFrame, Qt::QueuedConnection);
        },
        this);
  }
  mpv_set_wakeup_callback(
      mpv_,
      [](void* self) {
        auto* player = static_cast<MpvPlayer*>(self);
        if (!player->wakeupPosted_.exchange(true))
          QMetaObject::invokeMethod(player, &MpvPlayer::drainEvents, Qt::QueuedConnection);
      },
      this);
  return true;
}

uint64_t MpvPlayer::tag(int kind) const {
  return uint64_t(generation_) << 8 | uint64_t(kind);
}

// The properties of the file just loaded; the first report of each is its value now.
void MpvPlayer::observeFile() {
  mpv_observe_property(mpv_, tag(kDuration), "duration", MPV_FORMAT_DOUBLE);
  mpv_observe_property(mpv_, tag(kTimePos), "time-pos", MPV_FORMAT_DOUBLE);
  mpv_observe_property(mpv_, tag(kWidth), "dwidth", MPV_FORMAT_INT64);
  mpv_observe_property(mpv_, tag(kHeight), "dheight", MPV_FORMAT_INT64);
  // The turn the file asks for (EXIF orientation, a film's display matrix), which
  // "video-rotate" keeps from the picture itself.
  mpv_observe_property(mpv_, tag(kTurn), "video-dec-params/rotate", MPV_FORMAT_INT64);
  mpv_observe_property(mpv_, tag(kEof), "eof-reached", MPV_FORMAT_FLAG);
}

void MpvPlayer::forgetFile() {
  if (!mpv_ || phase_ == Phase::Closed || phase_ == Phase::Loading) return;
  for (int kind : {kDuration, kTimePos, kWidth, kHeight, kTurn, kEof})
    mpv_unobserve_property(mpv_, tag(kind));
}

void MpvPlayer::resetFile() {
  forgetFile();
  ++generation_;
  phase_ = Phase::Closed;
  known_ = {};
  entryId_ = -1;
  videoWidth_ = videoHeight_ = turn_ = 0;
  stillWatch_.stop();
  clock_.setRunning(false);
  clock_.set(0);
  clock_.setLimit(0);
  openDeadline_.stop();
  soundEnd_.stop();
  if (view_) {
    view_->hide();
    view_->clear();
  }
}

void MpvPlayer::setFileName(const QString& path) {
  fileName_ = path;
  resetFile();
  if (path.isEmpty()) {
    if (mpv_) {
      const char* args[] = {"stop", nullptr};
      mpv_command_async(mpv_, 0, args);
    }
    return;
  }
  if (!startEngine()) return;
  const QString absolute = QFileInfo(path).absoluteFilePath();
  const bool midi = isMidiFile(absolute);
  const QByteArray url = midi ? QByteArray::fromStdString(midiUrl(absolute.toStdString()))
                              : QFile::encodeName(absolute);
  // A synthesised song must not be rendered ahead as fast as the cache would read it.
  const char* options = midi ? "cache=no" : "";
  int flag = 0;  // a pause belongs to the file it was made on
  mpv_set_property_async(mpv_, 0, "pause", MPV_FORMAT_FLAG, &flag);
  const char* args[] = {"loadfile", url.constData(), "replace", options, nullptr};
  mpv_command_async(mpv_, tag(kLoad), args);
  phase_ = Phase::Loading;
  openDeadline_.start(kLoadDeadlineMs);
}

void MpvPlayer::giveUp(const QString& why) {
  // A file that cannot be played leaves the player without a file: no message box,
  // "not running", and the window's tracking moves on. The reason goes to the log.
  qCWarning(mediaLog, "%s: %s", qPrintable(fileName_), qPrintable(why));
  resetFile();
  if (mpv_) {
    const char* args[] = {"stop", nullptr};
    mpv_command_async(mpv_, 0, args);
  }
}

void MpvPlayer::drainEvents() {
  wakeupPosted_ = false;
  if (!mpv_) return;
  for (;;) {
    mpv_event* event = mpv_wait_event(mpv_, 0);
    if (event->event_id == MPV_EVENT_NONE) break;
    handle(*event);
  }
  finishOpening();
  updateClock();
}

void MpvPlayer::handle(const mpv_event& event) {
  switch (event.event_id) {
    case MPV_EVENT_START_FILE:
      startedId_ = static_cast<mpv_event_start_file*>(event.data)->playlist_entry_id;
      break;
    case MPV_EVENT_FILE_LOADED:
      loadedId_ = startedId_;
      fileLoaded();
      break;
    case MPV_EVENT_END_FILE:
      handleEndFile(event);
      break;
    case MPV_EVENT_PLAYBACK_RESTART:
      if (!loaded()) break;
      if (!known_.started && phase_ == Phase::Starting) openDeadline_.start(kPictureGraceMs);
      known_.started = true;
      if (known_.seeking)
        mpv_get_property_async(mpv_, tag(kGetPosition), "time-pos", MPV_FORMAT_DOUBLE);
      break;
    case MPV_EVENT_PROPERTY_CHANGE:
      handleProperty(event);
      break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
    case MPV_EVENT_SET_PROPERTY_REPLY:
    case MPV_EVENT_COMMAND_REPLY:
      handleReply(event);
      break;
    default:
      break;
  }
}

// Loads sent in quick succession may start only the last one: the file is ours
// when mpv loaded the entry that our last load created.
void MpvPlayer::fileLoaded() {
  if (phase_ != Phase::Loading || entryId_ < 0 || loadedId_ != entryId_) return;
  phase_ = Phase::Starting;
  observeFile();
  // Asked now, the answers describe this file whatever notifications are late.
  mpv_get_property_async(mpv_, tag(kGetDuration), "duration", MPV_FORMAT_DOUBLE);
  mpv_get_property_async(mpv_, tag(kGetVideo), "current-tracks/video/id", MPV_FORMAT_INT64);
  openDeadline_.start(kLoadDeadlineMs);
}

void MpvPlayer::handleEndFile(const mpv_event& event) {
  const auto* end = static_cast<mpv_event_end_file*>(event.data);
  if (end->playlist_entry_id != entryId_ || phase_ == Phase::Closed) return;
  if (end->reason == MPV_END_FILE_REASON_ERROR) {
    giveUp(QString::fromUtf8(mpv_error_string(end->error)));
    return;
  }
  if (opening()) {
    giveUp(QStringLiteral("unloaded %1 before it could be shown")
               .arg(QLatin1String(endReasonName(end->reason))));
    return;
  }
  qCDebug(mediaLog, "%s: unloaded %s", qPrintable(fileName_), endReasonName(end->reason));
  // mpv unloaded the file itself: it stays "open" for the window, at its end.
  entryId_ = -1;
  reachedEnd();
}

void MpvPlayer::handleProperty(const mpv_event& event) {
  const auto* prop = static_cast<mpv_event_property*>(event.data);
  const bool have = prop->format != MPV_FORMAT_NONE && prop->data;
  const int kind = int(event.reply_userdata & 0xFF);
  // A file's properties count only for that file (the engine's own carry generation 0).
  if (kind != kAudioOut && (event.reply_userdata >> 8) != generation_) return;
  switch (kind) {
    case kDuration:
      if (have && loaded()) {
        known_.duration = *static_cast<double*>(prop->data);
        clock_.setLimit(duration());
      }
      break;
    case kTimePos:
      if (have && loaded()) takePosition(*static_cast<double*>(prop->data));
      if (have) stillSince_.start();
      break;
    case kWidth:
    case kHeight:
      if (have && loaded()) {
        const int value = int(*static_cast<int64_t*>(prop->data));
        (kind == kWidth ? videoWidth_ : videoHeight_) = value;
        placeView();
      }
      break;
    case kTurn:
      if (have) {
        const int64_t degrees = *static_cast<int64_t*>(prop->data);
        turn_ = degrees % 90 == 0 ? int(degrees % 360) : 0;  // others are shown unturned
        placeView();
      }
      break;
    case kEof:
      if (have && loaded()) handleEof(*static_cast<int*>(prop->data));
      break;
    case kAudioOut:
      if (have && std::strcmp(*static_cast<char**>(prop->data), "null") == 0) {
        static bool told = false;
        if (!told) qCWarning(mediaLog, "no sound device; playing silently");
        told = true;
      }
      break;
  }
}

void MpvPlayer::takePosition(double seconds) {
  // While paused, draining or seeking the engine's figure is no better than ours.
  if (known_.pausedByUs || known_.end != End::None || known_.seeking) return;
  // Sound without a sound card: the silent output reports the written position
  // minus a delay it gets wrong around pauses and seeks, and the figure jumps by
  // up to the whole buffer. Only small corrections of the clock are taken.
  const bool sound = known_.picture == Picture::None;
  if (sound && clock_.running() && std::abs(seconds - clock_.now()) > kSoundSlack) return;
  clock_.set(seconds);
}

void MpvPlayer::handleEof(bool reached) {
  known_.eof = reached;
  if (!reached) {
    if (known_.end == End::Draining) known_.end = End::None;
    soundEnd_.stop();
    return;
  }
  if (known_.end != End::None) return;
  // Whether this is a film that never showed a picture or the sound's early end
  // depends on the answer to whether it has a picture: decided when that comes.
  if (known_.picture == Picture::Unknown) return;
  // A film that reaches its end before showing any picture could not be opened.
  if (phase_ == Phase::Starting && known_.picture == Picture::Film && !known_.firstFrame) {
    giveUp(QStringLiteral("ended before showing a picture"));
    return;
  }
  if (known_.picture == Picture::Film || known_.seeking) {
    reachedEnd();
    return;
  }
  // Sound is decoded ahead into the output's buffer, and with the silent output
  // mpv reports the end as soon as the buffer holds the rest (up to 0.6 s
  // early). The position runs on by the clock until the true end.
  known_.end = End::Draining;
  updateClock();
}

void MpvPlayer::reachedEnd() {
  soundEnd_.stop();
  known_.end = End::Reached;
  if (known_.duration) clock_.set(std::max(clock_.now(), *known_.duration));
  updateClock();
}

void MpvPlayer::handleReply(const mpv_event& event) {
  if (event.reply_userdata & kPartMark) {
    partApplied_ = event.reply_userdata & ~kPartMark;
    // mpv now renders the new part: the current picture is drawn again with it.
    if (partApplied_ == partSent_) redraw();
    return;
  }
  const int kind = int(event.reply_userdata & 0xFF);
  if ((event.reply_userdata >> 8) != generation_) return;
  if (kind == kLoad) {
    const auto* result = static_cast<mpv_event_command*>(event.data);
    entryId_ = event.error < 0 ? -1 : entryIdOf(result->result);
    if (entryId_ < 0)
      giveUp(event.error < 0 ? QString::fromUtf8(mpv_error_string(event.error))
                             : QStringLiteral("not taken by the engine"));
    fileLoaded();  // in case the reply came late
    return;
  }
  if (kind == kSeek && event.error < 0) known_.seeking = false;
  if (event.event_id != MPV_EVENT_GET_PROPERTY_REPLY) return;
  const auto* prop = static_cast<mpv_event_property*>(event.data);
  const bool have = event.error >= 0 && prop->format != MPV_FORMAT_NONE && prop->data;
  if (kind == kGetDuration) {
    // Streams without timestamps have no length: 0, unless mpv learns it later.
    known_.duration = have ? *static_cast<double*>(prop->data) : duration();
    clock_.setLimit(duration());
  } else if (kind == kGetVideo && opening()) {  // the decision at opening holds
    known_.picture = have ? Picture::Film : Picture::None;
    if (!have) showCaption();
    if (known_.eof) handleEof(true);  // the end came before the answer
  } else if (kind == kGetPosition && known_.seeking) {
    known_.seeking = false;
    if (have) clock_.set(*static_cast<double*>(prop->data));
  }
}

void MpvPlayer::finishOpening(bool force) {
  if (phase_ != Phase::Starting) return;
  const bool pictureKnown =
      known_.picture == Picture::None ||
      (known_.picture == Picture::Film && videoWidth_ > 0 && videoHeight_ > 0);
  // Raw streams refine their length once playing starts: wait for that too.
  if (!force && !(known_.duration && pictureKnown && known_.started)) return;
  if (!pictureKnown) {  // no picture in time: shown like sound, for good
    known_.picture = Picture::None;
    showCaption();
  }
  phase_ = Phase::Open;
  openDeadline_.stop();
  placeView();
  updateClock();
  if (view_) view_->show();
  if (known_.eof) handleEof(true);  // an end that waited for the picture's answer
  emit openComplete();
}

// A file without a picture shows its name on black, never a frame left by the file before.
void MpvPlayer::showCaption() {
  if (!view_) return;
  view_->clear();
  view_->setCaption(QFileInfo(fileName_).fileName());
}

// Runs the position clock exactly while the file plays, and times the end of
// sound that mpv has already declared finished.
void MpvPlayer::updateClock() {
  const bool running = phase_ == Phase::Open && known_.started && !known_.pausedByUs &&
                       known_.end != End::Reached && !known_.seeking;
  if (running && !clock_.running()) stillSince_.start();
  if (running != stillWatch_.isActive()) running ? stillWatch_.start() : stillWatch_.stop();
  clock_.setRunning(running);
  if (known_.end != End::Draining) return;
  const double left = duration() - clock_.now();
  if (left <= 0.01) {
    reachedEnd();
  } else if (!running) {
    soundEnd_.stop();
  } else if (!soundEnd_.isActive()) {
    soundEnd_.start(int(std::ceil(left * 1000)));
  }
}

void MpvPlayer::renderFrame() {
  renderPosted_ = false;
  if (!render_) return;
  // mpv waits for each frame to be taken: render even while nothing shows it.
  if (!(mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME)) return;
  // Until mpv has taken a new part to render, its frames would show the old one; a
  // file without a picture (or shown like sound) keeps its caption.
  if (partApplied_ != partSent_ || known_.picture == Picture::None ||
      (phase_ == Phase::Open && known_.picture != Picture::Film)) {
    MpvView::skip(render_);
  } else if (view_) {
    view_->render(render_, turn_);
  }
  if (loaded()) known_.firstFrame = true;  // not a frame left by the file before
}

bool MpvPlayer::opening() const {
  return phase_ == Phase::Loading || phase_ == Phase::Starting;
}

MediaPlayer::State MpvPlayer::state() const {
  if (phase_ != Phase::Open || known_.end == End::Reached) return State::Stopped;
  return known_.pausedByUs ? State::Paused : State::Running;
}

void MpvPlayer::setPaused(bool paused) {
  known_.pausedByUs = paused;
  int flag = paused;
  mpv_set_property_async(mpv_, 0, "pause", MPV_FORMAT_FLAG, &flag);
  updateClock();
}

void MpvPlayer::run() {
  if (phase_ == Phase::Closed) return;
  if (phase_ == Phase::Open && entryId_ < 0) {  // mpv let go of the finished file
    setFileName(fileName_);
    return;
  }
  if (known_.end == End::Reached) seek(0);  // running a finished file plays it again
  setPaused(false);
}

void MpvPlayer::pause() {
  if (phase_ == Phase::Closed) return;
  setPaused(true);
}

void MpvPlayer::seek(double seconds) {
  // A file at its end is stopped: a seek from there leaves it stopped at the new place.
  if (known_.end == End::Reached) setPaused(true);
  known_.end = End::None;
  soundEnd_.stop();
  const QByteArray target = QByteArray::number(seconds, 'f', 3);
  const char* args[] = {"seek", target.constData(), "absolute", nullptr};
  mpv_command_async(mpv_, tag(kSeek), args);
  clock_.set(seconds);
  known_.seeking = true;
  updateClock();
}

void MpvPlayer::setCurrentPosition(double seconds) {
  if (!loaded() || entryId_ < 0 || !std::isfinite(seconds)) return;
  seek(std::max(0.0, seconds));
}

void MpvPlayer::setDisplaySize(int size) {
  if (size < 0 || size > 4) return;
  displaySize_ = size;
  placeView();
}

void MpvPlayer::setLeft(float twips) {
  left_ = twips;
  placeView();
}

void MpvPlayer::setTop(float twips) {
  top_ = twips;
  placeView();
}

QSizeF MpvPlayer::naturalTwips() const {
  if (phase_ == Phase::Closed) return {kIdleWidth, kIdleHeight};
  if (known_.picture != Picture::Film || videoWidth_ <= 0 || videoHeight_ <= 0)
    return {kSoundWidth, kSoundHeight};
  const QSizeF pixels =
      turn_ % 180 ? QSizeF(videoHeight_, videoWidth_) : QSizeF(videoWidth_, videoHeight_);
  return pixels * units::kTwipsPerPixel;
}

// The natural and half sizes never exceed the area: a film larger than it is shown
// whole, shrunk. Double and a quarter of the screen enlarge as asked.
QSizeF MpvPlayer::size() const {
  const QSizeF natural = naturalTwips();
  switch (displaySize_) {
    case 0:
      return withinArea(natural);
    case 1:
      return withinArea(natural / 2);
    case 2:
      return natural * 2;
    case 3: {
      if (!area_) return natural;
      const QSizeF box = QSizeF(area_->size()) * units::kTwipsPerPixel;
      return natural.scaled(box, Qt::KeepAspectRatio);
    }
    case 4: {
      const QScreen* screen = area_ ? area_->screen() : QGuiApplication::primaryScreen();
      if (!screen) return natural;
      const QSizeF whole = QSizeF(screen->geometry().size()) * units::kTwipsPerPixel;
      const double scale =
          std::sqrt(whole.width() * whole.height() / 4 / (natural.width() * natural.height()));
      return natural * scale;
    }
    default:
      return natural;
  }
}

QSizeF MpvPlayer::withinArea(const QSizeF& twips) const {
  if (!area_) return twips;
  const QSizeF box = QSizeF(area_->size()) * units::kTwipsPerPixel - QSizeF(kAreaMarginTwips, 0);
  if (twips.width() <= box.width() && twips.height() <= box.height()) return twips;
  return twips.scaled(box, Qt::KeepAspectRatio);
}

void MpvPlayer::placeView() {
  if (!view_) return;
  const QSizeF twips = size();
  const QRect place(units::toPixels(left_), units::toPixels(top_), units::toPixels(twips.width()),
                    units::toPixels(twips.height()));
  const bool moved = place != view_->geometry();
  if (moved) view_->setGeometry(place);
  // The last picture at its new place: now, or once mpv has taken the new part.
  if (!showPart() && moved && partApplied_ == partSent_) redraw();
}

// Draws mpv's current frame again: only a film's own. mpv keeps the last frame of the
// file before until the next has one, so a file without a picture would show that.
void MpvPlayer::redraw() {
  if (known_.firstFrame && known_.picture == Picture::Film && render_ && view_)
    view_->render(render_, turn_);
}

// A picture larger than what the area shows is rendered only where it is seen:
// mpv draws it unscaled and zoomed to the view's size, panned so that the seen part
// fills the render target. One that is seen whole is fitted to the target as usual.
bool MpvPlayer::showPart() {
  if (!mpv_ || !view_ || videoWidth_ <= 0 || videoHeight_ <= 0) return false;
  const MpvView::Shown shown = view_->shown(turn_);
  if (shown == shown_) return false;
  shown_ = shown;
  const bool whole = shown.part.size() == shown.whole;
  const QSizeF all(shown.whole);
  const QPointF middle = QRectF(shown.part).center() - QPointF(all.width(), all.height()) / 2;
  double zoom = whole ? 0 : std::log2(all.width() / videoWidth_);
  double panX = whole ? 0 : -middle.x() / all.width();
  double panY = whole ? 0 : -middle.y() / all.height();
  const char* unscaled = whole ? "no" : "yes";
  mpv_set_property_async(mpv_, 0, "video-unscaled", MPV_FORMAT_STRING, &unscaled);
  mpv_set_property_async(mpv_, 0, "video-zoom", MPV_FORMAT_DOUBLE, &zoom);
  mpv_set_property_async(mpv_, 0, "video-pan-x", MPV_FORMAT_DOUBLE, &panX);
  mpv_set_property_async(mpv_, kPartMark | ++partSent_, "video-pan-y", MPV_FORMAT_DOUBLE, &panY);
  return true;
}

std::unique_ptr<MediaPlayer> makeMpvPlayer(QWidget* area) {
  return std::make_unique<MpvPlayer>(area);
}
