#pragma once

#include <QLoggingCategory>

// Where the pictures room says why a picture could not be read; the window shows no
// message for it. QT_LOGGING_RULES="vistara.pictures.debug=true" shows the rest.
Q_DECLARE_LOGGING_CATEGORY(picturesLog)
