#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// The test program started again as a child process (each test program picks its child's
// part from the arguments), on the offscreen display, with a time limit.
struct ChildRun {
  bool finished = false;  // false: still running at the limit, and killed
  bool crashed = false;
  int exitCode = -1;
  QByteArray out, err;
  QString error;  // why it could not start or end, as the system says
};

ChildRun runSelf(const QStringList& arguments, int limitMs,
                 const QMap<QString, QString>& environment = {});
