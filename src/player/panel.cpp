#include "app/filefind.h"

void FileFind::AMovie1_OpenComplete() {}
void FileFind::cmdMenorFilme_Click() {}
