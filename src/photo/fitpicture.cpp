#include "app/filefind.h"

void FileFind::fitPicture(ImageBox*, const QString&, Fit) {}
