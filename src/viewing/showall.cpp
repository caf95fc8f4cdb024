#include "app/filefind.h"

void FileFind::cmdMostraArq_Click() {}
