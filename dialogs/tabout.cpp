#include "dialogs/tabout.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QtGlobal>

#include "app/web_address.h"
#include "dialogs/dialog_look.h"
#include "protocol/message.h"
#include "shell/desktop_services.h"
#include "window/artwork.h"
#include "window/panel_widgets.h"

using dialoglook::arial;

namespace {

QString wordListLicence() {
  QFile file(":/wordlist/LICENSE");
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

Tabout::Tabout(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - About");
  setAccessibleName("Korvel - About");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 14, 16, 14);
  layout->setSpacing(8);

  image_aboutlogo = new MouseLabel(this);
  image_aboutlogo->setPixmap(artwork::logo(devicePixelRatioF()));
  image_aboutlogo->setAccessibleName("Korvel");
  image_aboutlogo->setCursor(Qt::PointingHandCursor);
  layout->addWidget(image_aboutlogo, 0, Qt::AlignHCenter);

  label_url = new MouseLabel(this);
  label_url->setText(korvel::app::kMakerSite);
  QFont link = arial(13);
  link.setUnderline(true);
  label_url->setFont(link);
  label_url->setStyleSheet("color: blue");
  label_url->setCursor(Qt::PointingHandCursor);
  label_url->setAccessibleName("Web site");
  layout->addWidget(label_url, 0, Qt::AlignHCenter);
  for (MouseLabel* clickable : {image_aboutlogo, label_url}) {
    clickable->onRelease = [this](QMouseEvent* e) {
      if (e->button() == Qt::LeftButton) label_urlClick();
    };
  }

  auto* line = new QHBoxLayout;
  line->setSpacing(0);
  line->addStretch(1);
  auto* word = new QLabel("Version ", this);
  version = new QLabel(korvel::protocol::kVersion, this);
  version->setObjectName("version");
  auto* build = new QLabel(".0", this);
  for (QLabel* part : {word, version, build}) {
    part->setFont(arial(13, true));
    line->addWidget(part);
  }
  line->addStretch(1);
  layout->addLayout(line);

  label_credits = new QLabel(
      "Word list: word-list 4.1.0 by Sindre Sorhus "
      "(https://github.com/sindresorhus/word-list), used under its MIT licence:",
      this);
  label_credits->setFont(arial(11));
  label_credits->setWordWrap(true);
  label_credits->setFixedWidth(380);
  layout->addWidget(label_credits);
  licence = new QTextBrowser(this);
  licence->setPlainText(wordListLicence());
  licence->setFont(arial(10));
  licence->setFixedSize(380, 110);
  licence->setAccessibleName("Word list licence");
  layout->addWidget(licence);
  label_qt = new QLabel(
      QString("Running on Qt %1 (built with Qt %2).").arg(qVersion(), QT_VERSION_STR), this);
  label_qt->setFont(arial(11));
  layout->addWidget(label_qt);

  button_done = new QPushButton("Done", this);
  button_done->setDefault(true);
  connect(button_done, &QPushButton::clicked, this, [this] { Button1Click(); });
  layout->addWidget(button_done, 0, Qt::AlignHCenter);
  dialoglook::useWindowBackground(this);
}

void Tabout::label_urlClick() {
  // The answer is of no use here: a browser that did not open has nothing to report to.
  desktopServices().openUrl(korvel::app::kMakerSite);
}

void Tabout::Button1Click() {
  hide();
}
