#pragma once

#include <QColor>
#include <QPalette>

// The contrast of two colours as desktop themes and accessibility guides measure it:
// (L1 + 0.05) / (L2 + 0.05) of their relative luminances, the lighter over the darker;
// 1 for equal colours, 21 for black on white.
double contrastRatio(QColor a, QColor b);

// Disabled text stays legible on its background: the faintest colour between the text's
// own and its background that stands at least 3 : 1 against that background (as
// desktop themes draw disabled text), for the text on windows, on input fields and on
// buttons. A disabled colour that already stands so is kept.
void keepDisabledTextLegible(QPalette* palette);
