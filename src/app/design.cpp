// The window's stored design: one line per control, in stored order. A control listed
// earlier lies in front of a later one in the same container.
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QMap>
#include <algorithm>
#include <vector>

#include "app/captions.h"
#include "app/filefind.h"
#include "app/look.h"
#include "controls/buttons.h"
#include "controls/disabledtext.h"
#include "controls/fonts.h"
#include "controls/twips.h"
#include "files/volumes.h"
#include "units/pixels.h"

namespace {

using namespace colours;

struct Placed {
  QWidget* widget;
  int tab;
};

class Builder {
 public:
  Builder() = default;

  template <class T>
  T* put(T* w, const char* name, const QString& caption, float l, float t, float wd, float h,
         int tab, const Look& look = {}) {
    w->setObjectName(QString::fromLatin1(name));
    setCaption(w, caption);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) useDesktopButtonKeys(b);
    tw::setGeometry(w, l, t, wd, h);
    style(w, look);
    if (tab >= 0) placed_.push_back({w, tab});
    byContainer_[w->parentWidget()].push_back(w);
    return w;
  }

  // Earlier siblings in front; tab order over the controls that take part.
  void finish() {
    for (const auto& children : std::as_const(byContainer_)) {
      for (QWidget* w : children) w->lower();
    }
    std::sort(placed_.begin(), placed_.end(),
              [](const Placed& a, const Placed& b) { return a.tab < b.tab; });
    for (size_t i = 1; i < placed_.size(); ++i) {
      QWidget::setTabOrder(placed_[i - 1].widget, placed_[i].widget);
    }
  }

 private:
  static void setCaption(QWidget* w, const QString& caption) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(caption);
    if (auto* l = qobject_cast<QLabel*>(w)) l->setText(caption);
  }

  static void style(QWidget* w, const Look& look) {
    QPalette pal = w->palette();
    // A button without a colour of its own has the desktop's look, whatever its
    // container's colours (a black frame would otherwise make it black on black).
    if (!look.back.isValid() && qobject_cast<QAbstractButton*>(w)) pal = standardPalette(w);
    if (look.back.isValid()) {
      pal.setColor(QPalette::Window, look.back);
      pal.setColor(QPalette::Button, look.back);
      pal.setColor(QPalette::Base, look.back);
      w->setAutoFillBackground(true);
    }
    if (look.fore.isValid()) {
      pal.setColor(QPalette::WindowText, look.fore);
      pal.setColor(QPalette::Text, look.fore);
      pal.setColor(QPalette::ButtonText, look.fore);
    }
    keepDisabledTextLegible(&pal);
    w->setPalette(pal);
    if (!look.fontFace.isEmpty())
      w->setFont(designFont(look.fontFace, look.fontPoints, look.bold, look.italic));
    if (auto* l = qobject_cast<QLabel*>(w)) styleLabel(l, look);
    if (look.disabled) w->setEnabled(false);
    if (look.hidden) w->setVisible(false);
  }

  // The application's palette for this kind of widget, every colour its own.
  static QPalette standardPalette(const QWidget* w) {
    const QPalette standard = QApplication::palette(w);
    QPalette pal;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
      for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto g = QPalette::ColorGroup(group);
        const auto r = QPalette::ColorRole(role);
        if (r != QPalette::NoRole) pal.setBrush(g, r, standard.brush(g, r));
      }
    }
    return pal;
  }

  static void styleLabel(QLabel* l, const Look& look) {
    if (look.border) l->setFrameStyle(QFrame::Box | QFrame::Plain);
    l->setAlignment(look.centred ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(look.wrap);
    if (look.autoSize) {
      const QSize hint = l->sizeHint();
      tw::setWidth(l, float(hint.width() * units::kTwipsPerPixel));
      tw::setHeight(l, float(hint.height() * units::kTwipsPerPixel));
    }
  }

  std::vector<Placed> placed_;
  QMap<QWidget*, std::vector<QWidget*>> byContainer_;
};

const QString kSans = QStringLiteral("MS Sans Serif");
const QString kSerif = QStringLiteral("Times New Roman");

}  // namespace

void FileFind::buildDesign() {
  Builder d;
  // clang-format off
  //                                      name             caption              left    top   width height tab  look
  frmImg2       = d.put(new QFrame(this),           "frmImg2",       "",                 -3120,  2160, 10095, 6525, 41, Look().hide().bg(black));
  cmdProFoto2   = d.put(new QPushButton(frmImg2),   "cmdProFoto2",   ">",                 8880,   360,   255,  255, 52);
  cmdAntFoto2   = d.put(new QPushButton(frmImg2),   "cmdAntFoto2",   "<",                 8400,   360,   255,  255, 51);
  cmdImage2Tela = d.put(new QPushButton(frmImg2),   "cmdImage2Tela", "->  <-",            8400,   120,   735,  195, 43, Look().bg(grey));
  Image2        = d.put(new ImageBox(frmImg2),      "Image2",        "",                     0,   240,  9735, 6045, -1);
  frmFoto       = d.put(new QFrame(this),           "frmFoto",       "",                 -1560,  -360,  7215, 5535, 32, Look().hide().bg(grey));
  Frame3        = d.put(new QFrame(frmFoto),        "Frame3",        "",                  1380,  4860,  4545,  615, 33, Look().bg(grey));
  cmdTelaGrande = d.put(new QPushButton(Frame3),    "cmdTelaGrande", "<- Tela ->",        2730,   300,   795,  255, 37, Look().bg(grey));
  cmdProfoto    = d.put(new QPushButton(Frame3),    "cmdProfoto",    "&Próximo",          1050,   300,   795,  255, 35, Look().bg(grey));
  cmdContFoto   = d.put(new QPushButton(Frame3),    "cmdContFoto",   caption::kStop,      1890,   300,   795,  255, 36, Look().bg(grey));
  cmdAntFoto    = d.put(new QPushButton(Frame3),    "cmdAntFoto",    "An&terior",          210,   300,   795,  255, 34, Look().bg(grey));
  SlFoto        = d.put(new Slider(Frame3),         "SlFoto",        "",                  3650,   330,   810,  255, 49);
  lblTempoFoto  = d.put(new FittedLabel(Frame3),    "lblTempoFoto",  "T= 1 Seg",          3570,   120,   885,  225, 40, Look().bg(grey).centre().font(kSerif, 8.25f, false, true));
  Label3        = d.put(new PathLabel(frmFoto),     "Label3",        "",                   405,  4590,  6465,  255, 46, Look().fg(darkBlue).boxed().centre());
  Image1        = d.put(new ImageBox(frmFoto),      "Image1",        "",                   390,   240,  6495, 4305, -1);
  frmFilme      = d.put(new QFrame(this),           "frmFilme",      "",                  -120,   240,  7215, 5535, 13, Look().hide().bg(grey));
  Picture1      = d.put(new QFrame(frmFilme),       "Picture1",      "",                   120,   180,  7035, 4305, 38, Look().bg(grey));
  AMovie1       = playerFactory_(Picture1);  // media player, stored hidden:      855,   960,  4860, 3660, 44
  frmControl    = d.put(new QFrame(frmFilme),       "frmControl",    "",                   900,  4815,  5670,  615, 17, Look().bg(grey));
  Sl1           = d.put(new Slider(frmControl),     "Sl1",           "",                  3915,   225,  1590,  285, 48);
  cmdMenorFilme = d.put(new QPushButton(frmControl),"cmdMenorFilme", "&Tamanho",          2925,   240,   855,  255, 47);
  cmdAnterior   = d.put(new QPushButton(frmControl),"cmdAnterior",   "An&terior",          150,   240,   855,  255, 28, Look().bg(grey));
  cmdProximo    = d.put(new QPushButton(frmControl),"cmdProximo",    "&Próximo",          1080,   240,   855,  255, 26, Look().bg(grey));
  cmdPararFilme = d.put(new QPushButton(frmControl),"cmdPararFilme", caption::kPause,     2010,   240,   855,  255, 23, Look().bg(grey));
  Label2        = d.put(new PathLabel(frmFilme),    "Label2",        "",                   420,  4560,  6495,  255, 45, Look().fg(darkBlue).boxed().centre());
  Timer2        = new Timer(this);                  // disabled, interval 1000 ms
  Timer1        = new Timer(this);                  // disabled, interval 2000 ms
  File1         = d.put(new FileList(this),         "File1",         "",                  5250,   990,  1095,  285, 12, Look().hide());
  List2         = d.put(new ListBox(this),          "List2",         "",                  7440,   960,   735,  255, 11, Look().hide());
  Dir2          = d.put(new FolderList(this),       "Dir2",          "",                  6720,   960,   615,  315, 10, Look().hide());
  cmdMostraArq  = d.put(new QPushButton(this),      "cmdMostraArq",  "&Mostrar ",         7800,  2550,  1425,  405, 24, Look().bg(grey));
  frmTitulo     = d.put(new QFrame(this),           "frmTitulo",     "",                     0,     0,  9975,  975,  0, Look().bg(grey));
  lblAutor      = d.put(new QLabel(frmTitulo),      "lblAutor",      "© Equipe Vistara 1999", 7680, 720, 1740,  195,  3, Look().bg(grey).fg(darkBlue).fit());
  lblVersao     = d.put(new QLabel(frmTitulo),      "lblVersao",     "Versão 1.0",         120,   720,   765,  195,  2, Look().bg(grey).fg(darkBlue).fit());
  lblTitulo     = d.put(new QLabel(frmTitulo),      "lblTitulo",     "Vistara",            150,   150,  3720,  555,  1, Look().bg(grey).fg(darkBlue).fit().font(kSans, 24, true));
  List1         = d.put(new ListBox(this),          "List1",         "",                  5280,  3930,  1935, 2205,  7, Look().bg(paleGrey).fg(black));
  frmOpt        = d.put(new QFrame(this),           "frmOpt",        "",                   600,  1320,  3135, 1695, 29, Look().bg(grey));
  optFoto       = d.put(new QRadioButton(frmOpt),   "optFoto",       "&Foto",              120,   600,  1095,  255, 14, Look().bg(grey));
  optSom        = d.put(new QRadioButton(frmOpt),   "optSom",        "&Som",               120,  1320,  1095,  255, 16, Look().bg(grey));
  optMusica     = d.put(new QRadioButton(frmOpt),   "optMusica",     "&Musica",            120,   960,  1095,  255, 15, Look().bg(grey));
  optFilme      = d.put(new QRadioButton(frmOpt),   "optFilme",      "&Filme",             120,   240,  1095,  255, 31, Look().bg(grey));
  Text1         = d.put(new TextBox(frmOpt),        "Text1",         "",                  1560,   240,  1455,  615, 30);
  Drive1        = d.put(new DriveList(this),        "Drive1",        "",                   600,  3390,  3135,  315, 18, Look().bg(paleGrey));
  Dir1          = d.put(new FolderList(this),       "Dir1",          "",                   600,  4080,  3135, 1890, 19, Look().bg(paleGrey));
  cmdAtualizar  = d.put(new QPushButton(this),      "cmdAtualizar",  "&Atualizar",        1200,  6120,  1815,  315, 20, Look().bg(grey));
  cmdIniciar    = d.put(new QPushButton(this),      "cmdIniciar",    "&Iniciar Busca",    7830,  1440,  1425,  405, 21, Look().bg(grey));
  cmdParar      = d.put(new QPushButton(this),      "cmdParar",      "&Parar Busca",      7800,  1980,  1425,  405, 22, Look().bg(grey));
  cmdBusca      = d.put(new QPushButton(this),      "cmdBusca",      "&Busca",            7800,  3090,  1425,  405, 25, Look().bg(grey));
  cmdSaida      = d.put(new QPushButton(this),      "cmdSaida",      "&Saida",            7800,  3600,  1425,  405, 27, Look().bg(grey));
  Frame1        = d.put(new QFrame(this),           "Frame1",        "",                  7560,  5400,  1935, 1035,  8, Look().bg(grey));
  lblMail       = d.put(new QLabel(Frame1),         "lblMail",       "vistara.example",     240,  720,  1455,  255, 50, Look().fg(blue));
  lblLigue      = d.put(new QLabel(Frame1),         "lblLigue",      "Ligue: (11) 5555-0199", 120, 240, 1680, 495, 9, Look().bg(grey).fg(blue).centre().wrapped().font(kSans, 8.25f, true));
  lblInfotec    = d.put(new QLabel(this),           "lblInfotec",    "    TORVELI SOFT         Assistência Técnica e Desenvolvimento de Sistemas.", 7590, 4440, 1875, 915, 42, Look().bg(grey).centre().wrapped());
  lblConta      = d.put(new CounterLabel(this),     "lblConta",      "0,00 MB em 0 Arquivos", 3960, 6120, 3285, 315, 39, Look().bg(grey).fg(orange).boxed().centre().font(kSans, 8.25f, true));
  lblDiretorio  = d.put(new QLabel(this),           "lblDiretorio",  "Diretório inicial:", 120,  3840,  1350,  195,  6, Look().bg(grey).fit().font(kSans, 8.25f, true));
  Label1        = d.put(new QLabel(this),           "Label1",        "Drive:",             120,  3120,   525,  195,  5, Look().bg(grey).fit().font(kSans, 8.25f, true));
  lblTipo       = d.put(new QLabel(this),           "lblTipo",       "Tipo do Arquivo:",   120,  1080,  1425,  195,  4, Look().bg(grey).fit().font(kSans, 8.25f, true));
  // clang-format on
  d.finish();

  AMovie1->setObjectName(QStringLiteral("AMovie1"));
  AMovie1->setLeft(855);
  AMovie1->setTop(960);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(1000);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(2000);
  SlFoto->setRange(1, 200);
  SlFoto->setValue(100);
  Sl1->setRange(0, 10);
  Sl1->setValue(0);
  optFilme->setChecked(true);
  Dir1->setBrowsable(true);
  // A folder or drive that does not answer in a drive's time is not entered.
  browseReader_.setWaitLimit(std::chrono::milliseconds(kDriveAnswerLimitMs));
  Dir1->setReader(&browseReader_);
  Dir2->setStayOnDevice(true);
  Dir2->setReader(&walkReader_);
  File1->setReader(&walkReader_);
  Drive1->setSource(volumes_.get());
  Drive1->setDrive(QDir::currentPath());  // the drive holding the working folder
}
