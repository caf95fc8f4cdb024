#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <functional>
#include <memory>

#include "controls/counterlabel.h"
#include "controls/imagebox.h"
#include "controls/lists/drivelist.h"
#include "controls/lists/filelist.h"
#include "controls/lists/folderlist.h"
#include "controls/lists/listbox.h"
#include "controls/messagebox.h"
#include "controls/pathlabel.h"
#include "controls/slider.h"
#include "controls/textbox.h"
#include "controls/timer.h"
#include "controls/windowloss.h"
#include "files/folderreader.h"
#include "files/volumes.h"
#include "media/mediaplayer.h"
#include "search/foundfiles.h"

// What the window stands on that tests may replace; empty members take the real ones.
struct FileFindServices {
  std::unique_ptr<VolumeSource> volumes;
  MediaPlayerFactory playerFactory;
  std::unique_ptr<MessageSink> messages;
};

// Vistara's one window: every control of the stored design, every window-level value,
// and the handlers of every event the program reacts to. Each subsystem defines its
// handlers in its own folder; the wiring is in one place (app/wiring.cpp).
class FileFind : public QWidget {
  Q_OBJECT
 public:
  explicit FileFind(FileFindServices services = {});
  ~FileFind() override;

  // The window's own attributes, in twips.
  float outerWidth() const;
  float outerHeight() const;
  float innerWidth() const;
  void setOuterWidth(float twips);
  void setOuterHeight(float twips);
  QString caption() const { return windowTitle(); }
  void setCaption(const QString& text) { setWindowTitle(text); }

  void showCentred();
  MessageSink& messages() { return *messages_; }
  MediaPlayer& player() { return *AMovie1; }

  // ---- the stored design, in stored order ----
  QFrame* frmImg2;
  QPushButton* cmdProFoto2;
  QPushButton* cmdAntFoto2;
  QPushButton* cmdImage2Tela;
  ImageBox* Image2;
  QFrame* frmFoto;
  QFrame* Frame3;
  QPushButton* cmdTelaGrande;
  QPushButton* cmdProfoto;
  QPushButton* cmdContFoto;
  QPushButton* cmdAntFoto;
  Slider* SlFoto;
  FittedLabel* lblTempoFoto;
  PathLabel* Label3;
  ImageBox* Image1;
  QFrame* frmFilme;
  QFrame* Picture1;
  std::unique_ptr<MediaPlayer> AMovie1;
  QFrame* frmControl;
  Slider* Sl1;
  QPushButton* cmdMenorFilme;
  QPushButton* cmdAnterior;
  QPushButton* cmdProximo;
  QPushButton* cmdPararFilme;
  PathLabel* Label2;
  Timer* Timer2;
  Timer* Timer1;
  FileList* File1;
  ListBox* List2;
  FolderList* Dir2;
  QPushButton* cmdMostraArq;
  QFrame* frmTitulo;
  QLabel* lblAutor;
  QLabel* lblVersao;
  QLabel* lblTitulo;
  ListBox* List1;
  QFrame* frmOpt;
  QRadioButton* optFoto;
  QRadioButton* optSom;
  QRadioButton* optMusica;
  QRadioButton* optFilme;
  TextBox* Text1;
  DriveList* Drive1;
  FolderList* Dir1;
  QPushButton* cmdAtualizar;
  QPushButton* cmdIniciar;
  QPushButton* cmdParar;
  QPushButton* cmdBusca;
  QPushButton* cmdSaida;
  QFrame* Frame1;
  QLabel* lblMail;
  QLabel* lblLigue;
  QLabel* lblInfotec;
  CounterLabel* lblConta;
  QLabel* lblDiretorio;
  QLabel* Label1;
  QLabel* lblTipo;

  // ---- window-level values ----
  int fileCount = 0;
  qint64 totalBytes = 0;
  bool searchStopRequested = false;
  bool viewStopped = false;
  bool listResetPending = false;
  bool upKeyPressed = false;
  bool photoInPanel = true;
  float maxPhotoWidth = 0;
  float maxPhotoHeight = 0;

  // ---- handlers: main window (app/) ----
  void Form_Load();
  void Form_Resize();
  void cmdSaida_Click();
  void cmdBusca_Click();

  // ---- media search (search/) ----
  void optFoto_Click();
  void optMusica_Click();
  void optSom_Click();
  void optFilme_Click();
  void Drive1_Change();
  void cmdAtualizar_Click();
  void cmdIniciar_Click();
  void cmdParar_Click();
  void Dir2_Change();
  void scanFolder();

  // ---- result viewing (viewing/) ----
  void List1_Click();
  void cmdMostraArq_Click();
  void List1_GotFocus();
  void List1_KeyDown(int keyCode, int shift);
  void cmdAnterior_Click();
  void cmdProximo_Click();

  // ---- photo viewer (photo/) ----
  enum class Fit { Panel, PanelSlideshowTick, FullScreen, FullScreenEntering };
  // `afterLoad` runs right after the picture is loaded, before it is fitted.
  void fitPicture(ImageBox* box, const QString& path, Fit variant,
                  const std::function<void()>& afterLoad = {});
  // The current file's photo where photos show now: in the panel, fitted as `panelFit`,
  // or over the whole window, whose caption then names the file when `nameInCaption`.
  void fitCurrentPhoto(Fit panelFit = Fit::Panel, bool nameInCaption = false);
  void cmdProfoto_Click();
  void cmdAntFoto_Click();
  void cmdAntFoto_KeyDown(int keyCode, int shift);
  void cmdContFoto_Click();
  void SlFoto_Change();
  void Timer2_Timer();
  void cmdTelaGrande_Click();
  void cmdImage2Tela_Click();
  void cmdProFoto2_Click();
  void cmdAntFoto2_Click();

  // ---- film player (player/) ----
  void AMovie1_OpenComplete();
  void cmdMenorFilme_Click();
  void cmdPararFilme_Click();
  void Sl1_Click();
  void Sl1_Scroll();
  void Timer1_Timer();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildDesign();
  void wireEvents();
  // The buttons and lists that start a search, choose where, or end the program: locked
  // while a file is viewed, freed on the return to search and at the end of a search.
  void setSearchControlsEnabled(bool on);
  QSize frameExtra() const;

  std::unique_ptr<VolumeSource> volumes_;
  FolderReader walkReader_;  // the search's folder reads, handed to Dir2 and File1
  FoundFiles found_;         // what List1 and List2 show after a search
  QElapsedTimer eventsRan_;  // since the search last let events run; invalid at its start
  FolderReader browseReader_{1, 1, 1};  // Dir1's, one at a time, given up after a moment
  std::unique_ptr<MessageSink> messages_;
  MediaPlayerFactory playerFactory_;
  QSize requestedOuter_;
  std::unique_ptr<WindowLossWatch> lossWatch_;
};
