#include "dialogs/tphrases.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "window/peer_text.h"

Tphrases::Tphrases(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - Phrase Buttons ");
  auto* grid = new QGridLayout(this);
  for (int n = 0; n < 9; ++n) {
    auto* label = new QLabel(QString("Phrase Button %1:").arg(n + 1), this);
    phrase[n] = new QLineEdit(this);
    phrase[n]->setObjectName(QString("phrase%1").arg(n + 1));
    phrase[n]->setMaxLength(50);
    phrase[n]->setMinimumWidth(260);
    phrase[n]->setAccessibleName(label->text());
    label->setBuddy(phrase[n]);
    grid->addWidget(label, n, 0);
    grid->addWidget(phrase[n], n, 1);
  }
  auto* note = new QLabel("Buttons can only be used once every 2 seconds", this);
  grid->addWidget(note, 9, 0, 1, 2);
  button_done = new QPushButton("Done", this);
  button_done->setDefault(true);
  grid->addWidget(button_done, 10, 1, Qt::AlignRight);
  connect(button_done, &QPushButton::clicked, this, [this] { button_doneClick(); });
  setFixedSize(sizeHint());
}

void Tphrases::open(const Phrases& phrases) {
  for (int n = 0; n < 9; ++n) phrase[n]->setText(peerText(phrases[n]));
  show();
  raise();
  activateWindow();
}

void Tphrases::button_doneClick() {
  Phrases phrases;
  for (int n = 0; n < 9; ++n) phrases[n] = wireText(phrase[n]->text());
  if (done) done(phrases);
  close();
}

void Tphrases::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QWidget* over = centreOver ? centreOver : parentWidget())
    move(over->geometry().center() - rect().center());
}
