#include "app/filefind.h"

void FileFind::cmdPararFilme_Click() {}
void FileFind::Sl1_Click() {}
void FileFind::Sl1_Scroll() {}
void FileFind::Timer1_Timer() {}
