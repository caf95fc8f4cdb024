#pragma once

#include <QString>

// The small media files under tests/data/media, made by make-media-fixtures.sh.
QString mediaFixture(const QString& name);
// A fixture's true length in seconds as measured when it was made (a song's included
// the player's tail after its last note); -1 when it is not listed.
double fixtureDuration(const QString& name);
