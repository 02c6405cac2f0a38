// The chat panel: lines in numbered styles with smilies and links, the input box, the smiley and
// context menus, and the chat options (colours, text size, scrolling).

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include "app/desktop_services.h"
#include "app/message_boxes.h"
#include "client/artwork.h"
#include "client/chat_line.h"
#include "client/colour_qt.h"
#include "client/panel_widgets.h"
#include "client/peer_text.h"
#include "client/phrases.h"
#include "client/picture_button.h"
#include "client/tchat.h"
#include "protocol/message.h"
#include "protocol/text_encoding.h"
#include "protocol/tsock.h"

namespace {

const QString kPlaceholder = "<Enter Chat Here>";

QString utf8(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QUrl smileyUrl(int picture) {
  return QUrl(QString("smiley:%1").arg(picture));
}

}  // namespace

QTextCharFormat Tchat::styleFormat(int style) const {
  QTextCharFormat format;
  const ChatStyle& s = styles_[style];
  format.setForeground(s.colour);
  format.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(style == 3);
  format.setFontUnderline(style == 4 || style == 5);
  format.setProperty(QTextFormat::UserProperty, style);
  return format;
}

void Tchat::setStyle(int style, const QColor& colour) {
  ChatStyle& s = styles_[style];
  if (s.colour == colour && s.bold) return;
  s.colour = colour;
  s.bold = true;
  QTextCharFormat change;
  change.setForeground(colour);
  change.setFontWeight(QFont::Bold);
  QTextCursor cursor(mainchat->document());
  cursor.beginEditBlock();
  for (auto [position, length] : s.runs) {
    cursor.setPosition(position);
    cursor.setPosition(position + length, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(change);
  }
  cursor.endEditBlock();
}

void Tchat::addlinetochat(const std::string& text, const QColor& colour) {
  // The whole line is decoded once, so all its runs are read by the same encoding.
  const auto line = korvel::client::parseChatLine(korvel::protocol::textFromBytes(text));
  if (!line) return;
  setStyle(line->style, colour);
  QTextDocument* doc = mainchat->document();
  QTextCursor cursor(doc);
  cursor.movePosition(QTextCursor::End);
  // One edit block: the view lays the line out once, not once per run.
  cursor.beginEditBlock();
  if (!doc->isEmpty()) cursor.insertBlock();
  const QTextCharFormat format = styleFormat(line->style);
  using Kind = korvel::client::ChatRun::Kind;
  for (const auto& run : line->runs) {
    if (run.kind == Kind::Smiley) {
      QTextImageFormat image;
      image.setName(smileyUrl(run.picture).toString());
      image.setWidth(17);
      image.setHeight(16);
      cursor.insertImage(image);
      continue;
    }
    const int start = cursor.position();
    // Text from peers is inserted as text, never read as markup.
    if (run.kind == Kind::Link) {
      QTextCharFormat link = styleFormat(korvel::client::kLinkStyle);
      link.setAnchor(true);
      link.setAnchorHref(utf8(run.address));
      const QString shown = utf8(run.text);
      cursor.insertText(shown, link);
      styles_[korvel::client::kLinkStyle].runs.emplace_back(start, shown.size());
    } else {
      const QString shown = utf8(run.text);
      cursor.insertText(shown, format);
      styles_[line->style].runs.emplace_back(start, shown.size());
    }
  }
  cursor.endEditBlock();
  if (!ScrollChatOff1->isChecked()) {
    QScrollBar* bar = mainchat->verticalScrollBar();
    bar->setValue(bar->maximum());
  }
}

void Tchat::chatrecieved(const std::string& argument) {
  const auto received = korvel::client::splitReceivedChat(argument);
  korvel::client::Colour colour = korvel::client::kRed;
  if (received.colourText) {
    colour = korvel::client::readColourText(*received.colourText).value_or(korvel::client::kRed);
  }
  addlinetochat(received.line, toQColor(colour));
}

void Tchat::sendit() {
  if (!game.connected) return;
  const auto message = korvel::client::inputMessage(game.myplayer, wireText(mychat->text()),
                                                    korvel::client::colourToText(textcolor),
                                                    korvel::client::colourToText(actioncolor));
  if (message) sock->send(*message);
  mychat->clear();
}

bool Tchat::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mychat && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (mychat->text() == kPlaceholder) mychat->clear();
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      guarded([this] { sendit(); });
      return true;
    }
    if (key->matches(QKeySequence::Paste)) {
      Paste1Click();
      return true;
    }
  }
  if (watched == mainchat->viewport() && event->type() == QEvent::MouseButtonRelease) {
    // Reading the chat hands the keyboard back to the input box.
    mychat->setFocus();
  }
  return QMainWindow::eventFilter(watched, event);
}

void Tchat::Paste1Click() {
  const QString clip = QGuiApplication::clipboard()->text();
  if (clip.isEmpty()) return;
  mychat->setText(mychat->text() + clip);
  mychat->end(false);
}

void Tchat::N271Click(int number) {
  if (mychat->text() == kPlaceholder) mychat->clear();
  mychat->setText(mychat->text() + QString(":)#%1").arg(number));
  mychat->end(false);
}

void Tchat::button_smiliesClick() {
  popup_smilies->popup(button_smilies->mapToGlobal(button_smilies->rect().bottomRight()));
}

void Tchat::mainchatJump(const QString& address) {
  const auto target = korvel::client::linkTarget(address.toStdString());
  if (!target || !desktopServices().openUrl(QString::fromStdString(*target))) {
    messageBoxes().showMessage("Cannot open Webpage");
  }
}

void Tchat::ClearMainChat1Click() {
  mainchat->clear();
  for (auto& s : styles_) s.runs.clear();
  mychat->setFocus();
}

void Tchat::ScrollChatOff1Click(bool checked) {
  ScrollChatOff1->setChecked(checked);
  ScrollChatOff2->setChecked(checked);
}

void Tchat::setTextColour(korvel::client::Colour colour) {
  textcolor = colour;
  QPalette pal = mychat->palette();
  pal.setColor(QPalette::Text, toQColor(colour));
  mychat->setPalette(pal);
}

void Tchat::TextColor1Click() {
  if (!chooseColour) return;
  if (auto chosen = chooseColour(toQColor(textcolor), "Text Color")) {
    setTextColour(fromQColor(*chosen));
    saveinifile({korvel::app::kTextcolorKey});
  }
}

void Tchat::ActionColor1Click() {
  if (chooseColour) {
    if (auto chosen = chooseColour(toQColor(actioncolor), "Action Color"))
      actioncolor = fromQColor(*chosen);
  }
  // The action colour is not stored, yet choosing it saves the other options as they are.
  saveinifile({});
}

void Tchat::setTextSize(int size) {
  textsize = size;
  QFont font = mainchat->document()->defaultFont();
  font.setPointSize(size);
  mainchat->document()->setDefaultFont(font);
  for (QAction* item : TextSize) item->setChecked(item->data().toInt() == size);
}

void Tchat::N14Click(int size) {
  setTextSize(size);
  saveinifile({korvel::app::kTextsizeKey});
}

void Tchat::buildChat() {
  FlatPanel1 = new QWidget(panel_board);
  FlatPanel1->setObjectName("FlatPanel1");
  FlatPanel1->setGeometry(493, 289, 265, 221);
  mainchat = new QTextBrowser(FlatPanel1);
  mainchat->setObjectName("mainchat");
  mainchat->setGeometry(2, 2, 261, 217);
  mainchat->setOpenLinks(false);
  mainchat->setUndoRedoEnabled(false);  // a long chat must not keep an undo history
  mainchat->setAccessibleName("Chat");
  QPalette pal = mainchat->palette();
  pal.setColor(QPalette::Base, QColor(0xFD, 0xFC, 0xE3));
  mainchat->setPalette(pal);
  mainchat->document()->setDocumentMargin(5);
  mainchat->document()->setDefaultFont(QFont("Arial", textsize));
  const qreal dpr = devicePixelRatioF();
  for (int n = 0; n < korvel::client::kSmilies; ++n) {
    mainchat->document()->addResource(QTextDocument::ImageResource, smileyUrl(n),
                                      artwork::smiley(n, dpr));
  }
  const QColor blue(0, 0, 255), navy(0, 0, 128), maroon(128, 0, 0), green(0, 128, 0),
      silver(192, 192, 192);
  const QColor initial[15] = {blue,      blue,      navy,      maroon,    green,
                              green,     silver,    silver,    Qt::black, Qt::black,
                              Qt::black, Qt::black, Qt::black, Qt::black, Qt::black};
  for (int n = 0; n < 15; ++n) {
    styles_[n].colour = initial[n];
    styles_[n].bold = n == 1 || n == 2;
  }
  mainchat->viewport()->installEventFilter(this);
  connect(mainchat, &QTextBrowser::anchorClicked, this,
          [this](const QUrl& url) { mainchatJump(url.toString()); });

  mychat = new QLineEdit(kPlaceholder, panel_board);
  mychat->setObjectName("mychat");
  mychat->setGeometry(493, 513, 238, 22);
  QFont input("Arial");
  input.setPixelSize(13);
  mychat->setFont(input);
  mychat->setAccessibleName("Chat input");
  mychat->installEventFilter(this);
  mychat->setContextMenuPolicy(Qt::CustomContextMenu);

  button_smilies = new QToolButton(panel_board);
  button_smilies->setObjectName("button_smilies");
  button_smilies->setGeometry(733, 514, 25, 19);
  button_smilies->setIcon(QIcon(artwork::smiley(0, dpr)));
  button_smilies->setAutoRaise(true);
  button_smilies->setToolTip("Play Chatter Sounds");
  button_smilies->setAccessibleName("Smilies");
  connect(button_smilies, &QToolButton::clicked, this, [this] { button_smiliesClick(); });
  // Tab goes from the board through the action buttons to the chat input.
  setTabOrder(paintbox_board, button_submit);
  setTabOrder(button_submit, button_clear);
  setTabOrder(button_clear, button_pass);
  setTabOrder(button_pass, button_newtiles);
  setTabOrder(button_newtiles, mychat);
}

void Tchat::buildChatMenus() {
  const qreal dpr = devicePixelRatioF();
  popup_smilies = new QMenu(this);
  for (int n = 10; n <= 27; ++n) {
    popup_smilies->addAction(QIcon(artwork::smiley(n - 10, dpr)), QString(":)#%1").arg(n), this,
                             [this, n] { N271Click(n); });
  }
  popup_mainchat = new QMenu(this);
  popup_mainchat->addAction("Select All", this, [this] { mainchat->selectAll(); });
  popup_mainchat->addAction("Copy", QKeySequence::Copy, this, [this] {
    if (mainchat->textCursor().hasSelection()) mainchat->copy();
  });
  popup_mainchat->addAction("Clear Main Chat", this, [this] { ClearMainChat1Click(); });
  popup_mainchat->addSeparator();
  ScrollChatOff2 = popup_mainchat->addAction("Scroll Chat Off");
  ScrollChatOff2->setShortcut(QKeySequence("Ctrl+S"));
  ScrollChatOff2->setShortcutContext(Qt::WidgetShortcut);
  ScrollChatOff2->setCheckable(true);
  connect(ScrollChatOff2, &QAction::triggered, this,
          [this](bool checked) { ScrollChatOff1Click(checked); });
  mainchat->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(mainchat, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { popup_mainchat->popup(mainchat->mapToGlobal(pos)); });
  popup_mychat = new QMenu(this);
  popup_mychat->addAction("Paste", QKeySequence::Paste, this, [this] { Paste1Click(); });
  connect(mychat, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { popup_mychat->popup(mychat->mapToGlobal(pos)); });
}
