#include "app/filefind.h"

void FileFind::List1_Click() {}
