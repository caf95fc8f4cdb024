// Every event the window reacts to, wired to its handler in one place. All connections
// are direct: selection, path and drive changes run their handlers inside the assignment.
#include "app/filefind.h"

void FileFind::wireEvents() {
  const auto direct = Qt::DirectConnection;
  auto click = [this, direct](QAbstractButton* b, void (FileFind::*handler)()) {
    connect(b, &QAbstractButton::clicked, this, handler, direct);
  };
  click(cmdSaida, &FileFind::cmdSaida_Click);
  click(cmdBusca, &FileFind::cmdBusca_Click);
  click(optFoto, &FileFind::optFoto_Click);
  click(optMusica, &FileFind::optMusica_Click);
  click(optSom, &FileFind::optSom_Click);
  click(optFilme, &FileFind::optFilme_Click);
  click(cmdAtualizar, &FileFind::cmdAtualizar_Click);
  click(cmdIniciar, &FileFind::cmdIniciar_Click);
  click(cmdParar, &FileFind::cmdParar_Click);
  click(cmdMostraArq, &FileFind::cmdMostraArq_Click);
  click(cmdAnterior, &FileFind::cmdAnterior_Click);
  click(cmdProximo, &FileFind::cmdProximo_Click);
  click(cmdProfoto, &FileFind::cmdProfoto_Click);
  click(cmdAntFoto, &FileFind::cmdAntFoto_Click);
  click(cmdContFoto, &FileFind::cmdContFoto_Click);
  click(cmdTelaGrande, &FileFind::cmdTelaGrande_Click);
  click(cmdImage2Tela, &FileFind::cmdImage2Tela_Click);
  click(cmdProFoto2, &FileFind::cmdProFoto2_Click);
  click(cmdAntFoto2, &FileFind::cmdAntFoto2_Click);
  click(cmdMenorFilme, &FileFind::cmdMenorFilme_Click);
  click(cmdPararFilme, &FileFind::cmdPararFilme_Click);

  connect(Drive1, &DriveList::change, this, &FileFind::Drive1_Change, direct);
  connect(Dir2, &FolderList::change, this, &FileFind::Dir2_Change, direct);
  connect(List1, &ListBox::click, this, &FileFind::List1_Click, direct);
  connect(List1, &ListBox::gotFocus, this, &FileFind::List1_GotFocus, direct);
  connect(List1, &ListBox::keyDown, this, &FileFind::List1_KeyDown, direct);
  connect(SlFoto, &Slider::change, this, &FileFind::SlFoto_Change, direct);
  connect(Sl1, &Slider::click, this, &FileFind::Sl1_Click, direct);
  connect(Sl1, &Slider::scroll, this, &FileFind::Sl1_Scroll, direct);
  connect(Timer1, &Timer::timer, this, &FileFind::Timer1_Timer, direct);
  connect(Timer2, &Timer::timer, this, &FileFind::Timer2_Timer, direct);
  connect(AMovie1.get(), &MediaPlayer::openComplete, this, &FileFind::AMovie1_OpenComplete, direct);
  cmdAntFoto->installEventFilter(this);
}
