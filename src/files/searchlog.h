#pragma once

#include <QLoggingCategory>

// Where reading the disk says what it gave up on: a folder read that did not answer, a drive
// that did not answer in time.
Q_DECLARE_LOGGING_CATEGORY(searchLog)
