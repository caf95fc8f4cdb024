#include "app/filefind.h"

void FileFind::cmdContFoto_Click() {}
void FileFind::SlFoto_Change() {}
void FileFind::Timer2_Timer() {}
