#include "dialogs/thelp.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "dialogs/dialog_look.h"
#include "dialogs/help_pages.h"

using dialoglook::arial;

Thelp::Thelp(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - Help File");
  setAccessibleName("Korvel - Help File");
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(12, 12, 12, 12);
  grid->setHorizontalSpacing(12);

  auto* side = new QVBoxLayout;
  pages = new QStackedWidget(this);
  pages->setFixedSize(470, 380);
  for (const auto& topic : korvel::dialogs::helpTopics()) {
    auto* button = new QPushButton(topic.caption, this);
    button->setObjectName(QString("SelButton%1").arg(SelButton.size() + 1));
    button->setProperty("tag", topic.tag);
    button->setFont(arial(13, true));
    button->setMinimumWidth(130);
    connect(button, &QPushButton::clicked, this, [this, button] { SelButton1Click(button); });
    side->addWidget(button);
    SelButton.push_back(button);

    auto* page = new QTextBrowser(pages);
    page->setObjectName(QString("memo%1").arg(topic.tag));
    page->setAccessibleName(topic.caption);
    page->setOpenLinks(false);
    page->setFont(arial(13));
    page->setHtml(QString::fromStdString(topic.html));
    pages->addWidget(page);
  }
  side->addStretch(1);
  button_about = new QPushButton("About", this);
  button_done = new QPushButton("Done", this);
  side->addWidget(button_about);
  side->addWidget(button_done);
  connect(button_about, &QPushButton::clicked, this, [this] { button_aboutClick(); });
  connect(button_done, &QPushButton::clicked, this, [this] { button_doneClick(); });

  label_caption = new QLabel(SelButton.front()->text(), this);
  label_caption->setFont(arial(18, true));
  grid->addLayout(side, 0, 0, 2, 1);
  grid->addWidget(label_caption, 0, 1);
  grid->addWidget(pages, 1, 1);
  pages->setCurrentIndex(0);
  dialoglook::useWindowBackground(this);
}

void Thelp::SelButton1Click(QPushButton* sender) {
  auto* page = pages->findChild<QTextBrowser*>(
      QString("memo%1").arg(sender->property("tag").toInt()), Qt::FindDirectChildrenOnly);
  if (page == nullptr) return;
  pages->setCurrentWidget(page);
  label_caption->setText(sender->text());
}

QTextBrowser* Thelp::currentPage() const {
  return qobject_cast<QTextBrowser*>(pages->currentWidget());
}

void Thelp::button_aboutClick() {
  if (showAbout) showAbout();
}

void Thelp::button_doneClick() {
  hide();
}
