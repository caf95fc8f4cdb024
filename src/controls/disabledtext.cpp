#include "controls/disabledtext.h"

#include <cmath>

namespace {

constexpr double kLegible = 3.0;

double channel(int value) {
  const double c = value / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(QColor c) {
  return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

QColor between(QColor from, QColor to, double t) {
  auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
  return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()),
                mix(from.blue(), to.blue()));
}

// The first colour on the way from the background to `text` that is legible on it; when
// even `text` is not, black or white, whichever stands out more.
QColor legibleOn(QColor back, QColor text) {
  if (contrastRatio(text, back) < kLegible)
    text = contrastRatio(Qt::black, back) >= contrastRatio(Qt::white, back) ? QColor(Qt::black)
                                                                            : QColor(Qt::white);
  for (int step = 1; step <= 100; ++step) {
    const QColor c = between(back, text, step / 100.0);
    if (contrastRatio(c, back) >= kLegible) return c;
  }
  return text;
}

}  // namespace

double contrastRatio(QColor a, QColor b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void keepDisabledTextLegible(QPalette* palette) {
  const std::pair<QPalette::ColorRole, QPalette::ColorRole> onBackground[] = {
      {QPalette::WindowText, QPalette::Window},
      {QPalette::Text, QPalette::Base},
      {QPalette::ButtonText, QPalette::Button}};
  for (const auto& [text, back] : onBackground) {
    const QColor background = palette->color(QPalette::Disabled, back);
    const QColor disabled = palette->color(QPalette::Disabled, text);
    const QColor enabled = palette->color(QPalette::Active, text);
    // A disabled colour that is the enabled one would not look disabled at all.
    if (disabled != enabled && contrastRatio(disabled, background) >= kLegible) continue;
    palette->setColor(QPalette::Disabled, text, legibleOn(background, enabled));
  }
}
