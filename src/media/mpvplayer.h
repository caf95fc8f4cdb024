#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QSizeF>
#include <QTimer>
#include <atomic>
#include <memory>
#include <optional>

#include "media/mediaplayer.h"
#include "media/mpvview.h"
#include "media/playbackclock.h"

struct mpv_event;
typedef struct mpv_handle mpv_handle;
typedef struct mpv_render_context mpv_render_context;

// The real player: films and sound through libmpv, music through our own MIDI
// synthesis served to the same mpv handle. The engine starts on the first file.
// Nothing here waits on mpv: commands are asynchronous, and mpv's events and
// observed properties are drained on this object's thread into the values the
// reads return.
class MpvPlayer : public MediaPlayer {
  Q_OBJECT
 public:
  // Size reported for files without a picture (sound, music), in twips.
  static constexpr float kSoundWidth = 4860, kSoundHeight = 600;
  // Size reported while no file is open.
  static constexpr float kIdleWidth = 4860, kIdleHeight = 3660;
  // Width of the area kept free beside a picture shrunk to fit: the window centres the
  // player 120 twips right of the area's middle.
  static constexpr float kAreaMarginTwips = 240;

  explicit MpvPlayer(QWidget* area);
  ~MpvPlayer() override;

  void setFileName(const QString& path) override;
  QString fileName() const override { return fileName_; }
  void run() override;
  void pause() override;
  State state() const override;
  bool opening() const override;
  double currentPosition() const override { return clock_.now(); }
  void setCurrentPosition(double seconds) override;
  double duration() const override { return known_.duration.value_or(0); }
  int displaySize() const override { return displaySize_; }
  void setDisplaySize(int size) override;
  float left() const override { return left_; }
  void setLeft(float twips) override;
  float top() const override { return top_; }
  void setTop(float twips) override;
  float width() const override { return size().width(); }
  float height() const override { return size().height(); }

  // For tests: the engine exists; a file is still being opened; a seek is under way.
  bool engineStarted() const { return mpv_ != nullptr; }
  bool isOpening() const { return opening(); }
  bool isSeeking() const { return known_.seeking; }

 private:
  // The life of one file: the load sent; loaded by mpv, its length, picture and start
  // awaited; open, the window told. Closed before the first and after a failed one.
  enum class Phase { Closed, Loading, Starting, Open };
  // Whether the file has a picture: not yet asked; none (sound, or a film whose picture
  // did not come in time, shown like sound); a film.
  enum class Picture { Unknown, None, Film };
  // How near the end: not there; sound fully decoded, its last part still playing; there.
  enum class End { None, Draining, Reached };

  bool startEngine();
  void observeFile();
  void forgetFile();
  void showCaption();
  void drainEvents();
  void handle(const mpv_event& event);
  void handleProperty(const mpv_event& event);
  void handleReply(const mpv_event& event);
  void fileLoaded();
  void handleEndFile(const mpv_event& event);
  void handleEof(bool reached);
  void takePosition(double seconds);
  void finishOpening(bool force = false);
  void giveUp(const QString& why);
  void resetFile();
  void renderFrame();
  void redraw();
  void setPaused(bool paused);
  void seek(double seconds);
  void reachedEnd();
  void updateClock();
  bool loaded() const { return phase_ == Phase::Starting || phase_ == Phase::Open; }
  QSizeF naturalTwips() const;
  QSizeF size() const;
  QSizeF withinArea(const QSizeF& twips) const;
  void placeView();
  bool showPart();
  uint64_t tag(int kind) const;

  QPointer<QWidget> area_;
  QPointer<MpvView> view_;
  mpv_handle* mpv_ = nullptr;
  mpv_render_context* render_ = nullptr;
  std::atomic<bool> wakeupPosted_{false};
  std::atomic<bool> renderPosted_{false};
  QTimer openDeadline_;       // gives up loading, or stops waiting for a picture
  QTimer soundEnd_;           // see handleEof()
  QTimer stillWatch_;         // while running: has the engine's position stood still too long?
  QElapsedTimer stillSince_;  // since the engine's position last moved, or playing began

  QString fileName_;
  int displaySize_ = 0;
  float left_ = 0, top_ = 0;

  // What is known of the file being played; forgotten with it.
  struct Known {
    Picture picture = Picture::Unknown;
    std::optional<double> duration;  // seconds; 0 for streams without timestamps
    bool started = false;            // mpv began playing it (its first restart)
    bool firstFrame = false;         // a frame of it was rendered
    bool pausedByUs = false;
    bool eof = false;  // mpv's last word on whether it reached the end
    End end = End::None;
    bool seeking = false;  // until the landed position is known
  };

  Phase phase_ = Phase::Closed;
  Known known_;
  uint32_t generation_ = 0;  // tags replies so that late ones for an old file are dropped
  int64_t entryId_ = -1;     // mpv's playlist id for the current file, from the load's reply
  int64_t startedId_ = -1;   // the entry mpv started last
  int64_t loadedId_ = -1;    // the entry mpv loaded last
  PlaybackClock clock_;
  // As mpv last reported them for the current file.
  int videoWidth_ = 0, videoHeight_ = 0;  // as decoded, before the turn
  int turn_ = 0;                          // clockwise degrees: 0, 90, 180 or 270
  // Kept between files, as mpv keeps the settings that render it.
  MpvView::Shown shown_;                     // the part mpv was last told to render
  uint64_t partSent_ = 0, partApplied_ = 0;  // settings of that part sent, and taken
};

// The window's default player factory.
std::unique_ptr<MediaPlayer> makeMpvPlayer(QWidget* area);
