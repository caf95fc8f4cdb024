#include "app/filefind.h"

void FileFind::cmdTelaGrande_Click() {}
void FileFind::cmdImage2Tela_Click() {}
void FileFind::cmdProFoto2_Click() {}
void FileFind::cmdAntFoto2_Click() {}
