#pragma once

#include <QString>

class FileFind;

// The text shown when there is nothing to open.
inline const QString kNoFilesMessage = QStringLiteral("Não existem arquivos selecionados.");

// The found file a result line belongs to: a file line 2k + 1 gives k, a folder line 2k
// gives k - 0.5 rounded half to even, -1 gives -1.
int fileIndexOfLine(int line);
