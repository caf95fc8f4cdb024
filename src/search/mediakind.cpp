#include "app/filefind.h"

void FileFind::optFoto_Click() {}
void FileFind::optMusica_Click() {}
void FileFind::optSom_Click() {}
void FileFind::optFilme_Click() {}
void FileFind::Drive1_Change() {}
void FileFind::cmdAtualizar_Click() {}
