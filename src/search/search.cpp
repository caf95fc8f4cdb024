#include "app/filefind.h"

void FileFind::cmdIniciar_Click() {}
void FileFind::cmdParar_Click() {}
void FileFind::Dir2_Change() {}
void FileFind::scanFolder() {}
