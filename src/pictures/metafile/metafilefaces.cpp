// Face names of metafiles resolved to system faces, and the symbol faces' code pages.
#include "pictures/metafile/metafilefaces.h"

#include <QFontDatabase>
#include <QHash>

namespace {

struct FaceRule {
  const char* name;
  const char* family;
  QFont::StyleHint hint;
};

// Faces whose metrics these system faces share, glyph for glyph.
const FaceRule kMetricFaces[] = {
    {"arial", "Liberation Sans", QFont::SansSerif},
    {"arial mt", "Liberation Sans", QFont::SansSerif},
    {"arial unicode ms", "Liberation Sans", QFont::SansSerif},  // Arial's metrics for Latin
    {"helvetica", "Liberation Sans", QFont::SansSerif},
    {"helv", "Liberation Sans", QFont::SansSerif},
    {"swiss", "Liberation Sans", QFont::SansSerif},
    {"ms sans serif", "Liberation Sans", QFont::SansSerif},
    {"microsoft sans serif", "Liberation Sans", QFont::SansSerif},
    {"ms shell dlg", "Liberation Sans", QFont::SansSerif},
    {"ms shell dlg 2", "Liberation Sans", QFont::SansSerif},
    {"system", "Liberation Sans", QFont::SansSerif},
    {"small fonts", "Liberation Sans", QFont::SansSerif},
    {"times new roman", "Liberation Serif", QFont::Serif},
    {"times", "Liberation Serif", QFont::Serif},
    {"tms rmn", "Liberation Serif", QFont::Serif},
    {"ms serif", "Liberation Serif", QFont::Serif},
    {"nimbus sans l", "Liberation Sans", QFont::SansSerif},
    {"nimbus sans", "Liberation Sans", QFont::SansSerif},
    {"nimbus roman no9 l", "Liberation Serif", QFont::Serif},
    {"nimbus roman", "Liberation Serif", QFont::Serif},
    {"nimbus mono l", "Liberation Mono", QFont::Monospace},
    {"nimbus mono ps", "Liberation Mono", QFont::Monospace},
    {"courier new", "Liberation Mono", QFont::Monospace},
    {"courier", "Liberation Mono", QFont::Monospace},
    {"calibri", "Carlito", QFont::SansSerif},
    {"cambria", "Caladea", QFont::Serif},
};

// Faces without a metric twin: the generic family of their kind.
const FaceRule kGenericFaces[] = {
    {"tahoma", "Sans Serif", QFont::SansSerif},
    {"verdana", "Sans Serif", QFont::SansSerif},
    {"segoe ui", "Sans Serif", QFont::SansSerif},
    {"univers", "Sans Serif", QFont::SansSerif},
    {"geneva", "Sans Serif", QFont::SansSerif},
    {"lucida sans", "Sans Serif", QFont::SansSerif},
    {"georgia", "Serif", QFont::Serif},
    {"roman", "Serif", QFont::Serif},
    {"book antiqua", "Serif", QFont::Serif},
    {"garamond", "Serif", QFont::Serif},
    {"century", "Serif", QFont::Serif},
    {"bookman old style", "Serif", QFont::Serif},
    {"palatino", "Serif", QFont::Serif},
    {"lucida console", "Monospace", QFont::Monospace},
    {"consolas", "Monospace", QFont::Monospace},
    {"fixedsys", "Monospace", QFont::Monospace},
    {"terminal", "Monospace", QFont::Monospace},
    {"modern", "Monospace", QFont::Monospace},
    {"lucida sans typewriter", "Monospace", QFont::Monospace},
    {"lucida typewriter", "Monospace", QFont::Monospace},
    {"andale mono", "Monospace", QFont::Monospace},
};

// The pitch-and-family byte: fixed pitch in its low bits, the modern (fixed-pitch) family in
// its high ones.
constexpr int kFixedPitch = 0x01, kPitchMask = 0x03;
constexpr int kFamilyMask = 0xF0, kRoman = 0x10, kModern = 0x30;

// Arial Narrow is Arial at about 82 % of its width.
constexpr qreal kNarrowStretch = 0.82;

// Writers append the script to a face's name ("Arial CE", "Times New Roman Cyr").
QString baseName(const QString& face) {
  static const char* kScripts[] = {" ce", " cyr", " greek", " tur", " baltic"};
  QString lower = face.toLower().simplified();
  for (const char* script : kScripts)
    if (lower.endsWith(QLatin1String(script))) return lower.chopped(int(qstrlen(script)));
  return lower;
}

const char* fallbackFor(QFont::StyleHint hint) {
  return hint == QFont::Serif ? "Serif" : hint == QFont::Monospace ? "Monospace" : "Sans Serif";
}

bool systemHas(const QString& family) {
  thread_local QHash<QString, bool> known;
  auto it = known.constFind(family);
  if (it != known.constEnd()) return *it;
  bool has = QFontDatabase::hasFamily(family);
  known.insert(family, has);
  return has;
}

}  // namespace

MfFace resolveFace(const QString& face, int pitchAndFamily) {
  QString name = baseName(face);
  MfFace out;
  if (name == QLatin1String("arial narrow")) {
    if (systemHas(QStringLiteral("Liberation Sans Narrow"))) {
      out.families = {QStringLiteral("Liberation Sans Narrow")};
    } else {
      out.families = {QStringLiteral("Liberation Sans")};
      out.stretch = kNarrowStretch;
    }
    out.families << QStringLiteral("Sans Serif");
    out.sameMetrics = true;
    return out;
  }
  for (const FaceRule& rule : kMetricFaces) {
    if (name != QLatin1String(rule.name)) continue;
    out.hint = rule.hint;
    out.families = {QLatin1String(rule.family), QLatin1String(fallbackFor(rule.hint))};
    out.sameMetrics = true;
    out.fixedPitch = rule.hint == QFont::Monospace;
    return out;
  }
  for (const FaceRule& rule : kGenericFaces) {
    if (name != QLatin1String(rule.name)) continue;
    out.hint = rule.hint;
    out.families = {QLatin1String(rule.family)};
    out.fixedPitch = rule.hint == QFont::Monospace;
    return out;
  }
  // Anything else by its own name if the system has it, else by pitch and family.
  out.fixedPitch =
      (pitchAndFamily & kPitchMask) == kFixedPitch || (pitchAndFamily & kFamilyMask) == kModern;
  if (out.fixedPitch)
    out.hint = QFont::Monospace;
  else if ((pitchAndFamily & kFamilyMask) == kRoman)
    out.hint = QFont::Serif;
  else
    out.hint = QFont::SansSerif;
  if (!face.isEmpty()) out.families << face;
  out.sameMetrics = !face.isEmpty() && systemHas(face);
  out.families << QLatin1String(fallbackFor(out.hint));
  return out;
}

SymbolSet symbolSetFor(const QString& face, int charset) {
  QString name = face.toLower().simplified();
  if (name == QLatin1String("symbol") || name == QLatin1String("symbol mt"))
    return SymbolSet::Symbol;
  if (name == QLatin1String("wingdings")) return SymbolSet::Wingdings;
  if (name == QLatin1String("wingdings 2")) return SymbolSet::Wingdings2;
  if (name == QLatin1String("wingdings 3")) return SymbolSet::Wingdings3;
  if (name == QLatin1String("webdings")) return SymbolSet::Webdings;
  // Any other face of the symbol character set: its bytes are no letters either, and the
  // classic symbol face's page is the likeliest meaning.
  return charset == 2 ? SymbolSet::Symbol : SymbolSet::None;
}
