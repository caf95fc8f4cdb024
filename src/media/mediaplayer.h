#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

// The media player control as the window uses it: by role only.
// Geometry is in twips, relative to the area the player draws in.
// Every read is instant (the component keeps the last values it was told).
class MediaPlayer : public QObject {
  Q_OBJECT
 public:
  // What the player is doing, as the window asks it.
  enum class State {
    Stopped,  // no file, a file still being opened, or one played to its end
    Paused,   // by a pause()
    Running,
  };
  Q_ENUM(State)

  explicit MediaPlayer(QObject* parent = nullptr) : QObject(parent) {}
  ~MediaPlayer() override = default;

  // Setting a path opens it and playing starts by itself; the empty text closes.
  virtual void setFileName(const QString& path) = 0;
  virtual QString fileName() const = 0;

  // Ignored while no file is open.
  virtual void run() = 0;
  virtual void pause() = 0;

  virtual State state() const = 0;
  // True from setting a file until it is open or given up: not running, yet not over.
  virtual bool opening() const { return false; }

  virtual double currentPosition() const = 0;  // seconds
  virtual void setCurrentPosition(double seconds) = 0;
  virtual double duration() const = 0;  // seconds

  // 0 natural, 1 half, 2 double, 3 fit the area, 4 a quarter of the screen.
  // Width and height follow a change at once.
  virtual int displaySize() const = 0;
  virtual void setDisplaySize(int size) = 0;

  virtual float left() const = 0;
  virtual void setLeft(float twips) = 0;
  virtual float top() const = 0;
  virtual void setTop(float twips) = 0;
  virtual float width() const = 0;
  virtual float height() const = 0;

 signals:
  // Raised once per opened file, when its duration and picture size are known.
  void openComplete();
};

// Makes the player that draws inside `area` (the window's picture box).
// The factory is called at start-up; a real player starts its engine on first use.
using MediaPlayerFactory = std::function<std::unique_ptr<MediaPlayer>(QWidget* area)>;
