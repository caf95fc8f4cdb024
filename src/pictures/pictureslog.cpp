// The pictures room's log category.
#include "pictures/pictureslog.h"

Q_LOGGING_CATEGORY(picturesLog, "vistara.pictures", QtWarningMsg)
