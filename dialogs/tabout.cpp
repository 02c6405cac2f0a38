#include "dialogs/tabout.h"

#include <QLabel>
#include <QVBoxLayout>

#include "protocol/message.h"

Tabout::Tabout(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - About");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Korvel", this));
  label_version = new QLabel(korvel::protocol::kVersion, this);
  layout->addWidget(label_version);
}
