// The media kinds: each option button writes its pattern list into Text1, which the search reads.
#include "app/filefind.h"

void FileFind::optFoto_Click() {
  Text1->setText(QStringLiteral("*.jpg;*.gif;*.bmp;  *.wmf;*.ico"));
}

void FileFind::optMusica_Click() {
  Text1->setText(QStringLiteral("*.mid"));
}

void FileFind::optSom_Click() {
  Text1->setText(QStringLiteral("*.wav"));
}

void FileFind::optFilme_Click() {
  Text1->setText(QStringLiteral("*.avi;*.mpg;*.mov"));
}
