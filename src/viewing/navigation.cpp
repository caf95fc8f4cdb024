#include "app/filefind.h"

void FileFind::List1_GotFocus() {}
void FileFind::cmdAnterior_Click() {}
void FileFind::cmdProximo_Click() {}
void FileFind::List1_KeyDown(int, int) {}
