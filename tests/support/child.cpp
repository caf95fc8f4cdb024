#include "support/child.h"

#include <QCoreApplication>
#include <QProcess>

ChildRun runSelf(const QStringList& arguments, int limitMs,
                 const QMap<QString, QString>& environment) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  for (auto it = environment.begin(); it != environment.end(); ++it)
    env.insert(it.key(), it.value());
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::SeparateChannels);
  child.start(QCoreApplication::applicationFilePath(), arguments);
  ChildRun run;
  run.finished = child.waitForFinished(limitMs);
  if (!run.finished) {
    child.kill();
    child.waitForFinished();
  }
  run.crashed = child.exitStatus() == QProcess::CrashExit;
  run.exitCode = child.exitCode();
  run.out = child.readAllStandardOutput();
  run.err = child.readAllStandardError();
  run.error = child.errorString();
  return run;
}
