#include "app/filefind.h"

void FileFind::cmdProfoto_Click() {}
void FileFind::cmdAntFoto_Click() {}
void FileFind::cmdAntFoto_KeyDown(int, int) {}
