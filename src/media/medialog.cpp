#include "media/medialog.h"

Q_LOGGING_CATEGORY(mediaLog, "vistara.media", QtWarningMsg)
