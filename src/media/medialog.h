#pragma once

#include <QLoggingCategory>

// Where the media room says what went wrong: an engine that would not start, why a file
// ended, a SoundFont that could not be read. QT_LOGGING_RULES="vistara.media.debug=true"
// shows the rest.
Q_DECLARE_LOGGING_CATEGORY(mediaLog)
