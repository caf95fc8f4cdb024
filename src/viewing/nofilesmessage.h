#pragma once

#include <QString>

// The text shown when there is nothing to open.
inline const QString kNoFilesMessage = QStringLiteral("Não existem arquivos selecionados.");
