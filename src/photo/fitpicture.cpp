// Loads a photo into an image box, shrinks it into a limit box keeping its proportions,
// centres it on a fixed point and shows it; the current file's photo in the panel or
// over the whole window.
#include <cmath>

#include "app/filefind.h"
#include "controls/twips.h"

namespace {

// A size step that would fail (a limit of zero or below makes the factor meaningless)
// is skipped: the attribute keeps its value and the steps after it go on.
void setHeightIfValid(QWidget* box, float v) {
  if (std::isfinite(v) && v >= 0) tw::setHeight(box, v);
}

void setWidthIfValid(QWidget* box, float v) {
  if (std::isfinite(v) && v >= 0) tw::setWidth(box, v);
}

bool isPanel(FileFind::Fit variant) {
  return variant == FileFind::Fit::Panel || variant == FileFind::Fit::PanelSlideshowTick;
}

}  // namespace

void FileFind::fitPicture(ImageBox* box, const QString& path, Fit variant,
                          const std::function<void()>& afterLoad) {
  float limitW = maxPhotoWidth, limitH = maxPhotoHeight;
  if (variant == Fit::Panel) {
    limitW = 7155;
    limitH = 4335;
  } else if (variant == Fit::PanelSlideshowTick) {
    limitW = 6495;
    limitH = 4305;
  }
  if (isPanel(variant)) Label3->setText(path);

  // From here on a failing step is skipped. A picture that cannot be loaded empties the
  // box: the previous photo must not stay on view under the new file's name.
  box->setVisible(false);
  box->setStretch(false);
  box->loadPicture(path, QSizeF(limitW, limitH));
  if (afterLoad) afterLoad();

  const float h0 = tw::height(box);
  const float w0 = tw::width(box);
  if (h0 > limitH || w0 > limitW) {
    const float fh = h0 / limitH;
    const float fw = w0 / limitW;
    const float f = fw > fh ? fw : fh;
    setHeightIfValid(box, tw::height(box) / f);
    setWidthIfValid(box, tw::width(box) / f);
  }

  if (isPanel(variant)) {
    tw::setLeft(box, float(6495.0 / 2 - double(tw::width(box)) / 2 + 360));
    tw::setTop(box, float(4305.0 / 2 - double(tw::height(box)) / 2 + 240));
  } else {
    const float dx = variant == Fit::FullScreenEntering ? 50.0f : 80.0f;
    const float dy = variant == Fit::FullScreenEntering ? 100.0f : 150.0f;
    tw::setLeft(box, (maxPhotoWidth / 2.0f - tw::width(box) / 2.0f) + dx);
    tw::setTop(box, (maxPhotoHeight / 2.0f - tw::height(box) / 2.0f) + dy);
  }
  box->setStretch(true);
  box->setVisible(true);
}

void FileFind::fitCurrentPhoto(Fit panelFit, bool nameInCaption) {
  const QString path = List2->text();
  if (photoInPanel) {
    fitPicture(Image1, path, panelFit);
  } else if (nameInCaption) {
    fitPicture(Image2, path, Fit::FullScreen, [this, path] { setCaption(path); });
  } else {
    fitPicture(Image2, path, Fit::FullScreen);
  }
}
