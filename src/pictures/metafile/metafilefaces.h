#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The faces a metafile names, resolved to faces of this system with the same metrics where
// one exists, and the code pages of the symbol faces, whose bytes are not letters.

struct MfFace {
  QStringList families;  // the face first, then the faces that stand in for missing glyphs
  QFont::StyleHint hint = QFont::SansSerif;
  qreal stretch = 1;         // horizontal scale for faces only available wider than asked
  bool sameMetrics = false;  // the face's advances are the named face's
  bool fixedPitch = false;   // the named face sets every glyph in a cell of one width
};

// The system face for a face name and the pitch-and-family byte of a font record. A
// fixed-pitch face without a metric twin (known by its name or the byte's pitch or family)
// takes a monospace stand-in.
MfFace resolveFace(const QString& face, int pitchAndFamily);

enum class SymbolSet { None, Symbol, Wingdings, Wingdings2, Wingdings3, Webdings };

// The symbol code page a font uses, from its face name (and the symbol character set for
// faces that name none of the known ones).
SymbolSet symbolSetFor(const QString& face, int charset);

// The Unicode character a byte of a symbol face stands for; 0 when there is none.
char32_t symbolToUnicode(SymbolSet set, uchar byte);

// What a symbol without a Unicode equivalent is drawn as: never a letter.
constexpr char32_t kMissingSymbol = 0xFFFD;
