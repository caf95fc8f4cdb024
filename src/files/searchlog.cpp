#include "files/searchlog.h"

Q_LOGGING_CATEGORY(searchLog, "vistara.search", QtWarningMsg)
