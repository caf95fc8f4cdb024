// Start-up, exit and the layout that follows the window's size.
#include "app/filefind.h"
#include "app/places.h"
#include "controls/exit.h"
#include "controls/twips.h"

void FileFind::Form_Load() {
  Text1->setText(QStringLiteral("*.avi;*.mpg;*.mov"));
  // The root of the current drive; one that does not answer in time is shown unlisted.
  const QString drive = Drive1->drive();
  if (!Dir1->setPath(drive)) Dir1->showUnlisted(drive);
  setOuterHeight(7200);
  setOuterWidth(9600);
  tw::setLeft(frmFoto, 120);
  tw::setTop(frmFoto, 960);
  tw::setLeft(frmFilme, 120);
  tw::setTop(frmFilme, 960);
  tw::setLeft(frmImg2, 0);
  tw::setTop(frmImg2, 0);
  tw::setHeight(frmImg2, outerHeight());
  tw::setWidth(frmImg2, outerWidth());
  tw::setLeft(Image2, 0);
  tw::setTop(Image2, 0);
  photoInPanel = true;
  tw::setWidth(Image2, tw::width(frmImg2));
  tw::setHeight(Image2, tw::height(frmImg2));
  maxPhotoHeight = tw::height(Image2) - 750.0f;
  maxPhotoWidth = tw::width(Image2) - 320.0f;
  place::moveTo(List1, place::kListSearching);
  upKeyPressed = false;
  AMovie1->setTop(tw::top(Picture1));
  AMovie1->setLeft(tw::left(Picture1));
}

void FileFind::Form_Resize() {
  tw::setWidth(frmTitulo, innerWidth());
  tw::setLeft(frmImg2, 0);
  tw::setTop(frmImg2, 0);
  tw::setHeight(frmImg2, outerHeight());
  tw::setWidth(frmImg2, outerWidth());
  maxPhotoHeight = tw::height(frmImg2) - 750.0f;
  maxPhotoWidth = tw::width(frmImg2) - 320.0f;
  tw::setLeft(Image2, maxPhotoWidth / 2.0f - tw::width(Image2) / 2.0f + 80.0f);
  tw::setTop(Image2, maxPhotoHeight / 2.0f - tw::height(Image2) / 2.0f + 150.0f);
  tw::setLeft(cmdImage2Tela, tw::width(frmImg2) - 1500.0f);
  tw::setLeft(cmdAntFoto2, tw::width(frmImg2) - 1500.0f);
  tw::setLeft(cmdProFoto2, tw::width(frmImg2) - 1020.0f);
}

void FileFind::cmdSaida_Click() {
  exitNow(0);
}
