#pragma once

#include <QString>

// The captions of the two pause buttons, which also hold their state. The slideshow's
// button reads kStop while the slideshow runs and kContinue while it waits; the player's
// reads kPause while a file plays and kContinue while it is paused.
namespace caption {

inline const QString kContinue = QStringLiteral("&Continuar");
inline const QString kPause = QStringLiteral("&Pausa");
inline const QString kStop = QStringLiteral("&Parar");

}  // namespace caption
