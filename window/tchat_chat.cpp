// The chat panel: lines in numbered styles with smilies and links, the input box, the smiley and
// context menus, and the chat options (colours, text size, scrolling).

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <algorithm>
#include <vector>

#include "client/chat_line.h"
#include "client/phrases.h"
#include "protocol/message.h"
#include "protocol/text_encoding.h"
#include "protocol/tsock.h"
#include "shell/desktop_services.h"
#include "shell/message_boxes.h"
#include "window/artwork.h"
#include "window/colour_qt.h"
#include "window/panel_widgets.h"
#include "window/peer_text.h"
#include "window/picture_button.h"
#include "window/tchat.h"

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
  // Only the style changes here; its lines take the colour when they are on screen.
  ChatStyle& s = styles_[style];
  s.colour = colour;
  s.bold = true;
}

void Tchat::recolourVisibleLines() {
  if (recolouring_) return;
  QTextDocument* doc = mainchat->document();
  QAbstractTextDocumentLayout* layout = doc->documentLayout();
  const int top = mainchat->verticalScrollBar()->value();
  // A window not yet shown has no viewport size; the view's own height stands in for it.
  const int bottom = top + std::max(mainchat->viewport()->height(), mainchat->height());
  // The first line reaching the top of the view, by halving: lines are laid out in order.
  int first = 0;
  for (int last = doc->blockCount() - 1; first < last;) {
    const int middle = (first + last) / 2;
    if (layout->blockBoundingRect(doc->findBlockByNumber(middle)).bottom() < top) {
      first = middle + 1;
    } else {
      last = middle;
    }
  }
  struct Stale {
    int position, length, style;
  };
  std::vector<Stale> stale;
  for (QTextBlock block = doc->findBlockByNumber(first); block.isValid(); block = block.next()) {
    if (layout->blockBoundingRect(block).top() > bottom) break;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const QTextCharFormat format = fragment.charFormat();
      const QVariant property = format.property(QTextFormat::UserProperty);
      if (!property.isValid()) continue;  // a smiley
      const int style = property.toInt();
      if (style < 0 || style >= korvel::client::kChatStyles) continue;
      const ChatStyle& s = styles_[style];
      if (format.foreground().color() == s.colour &&
          (format.fontWeight() == QFont::Bold) == s.bold) {
        continue;
      }
      stale.push_back({fragment.position(), fragment.length(), style});
    }
  }
  if (stale.empty()) return;
  recolouring_ = true;
  QTextCursor cursor(doc);
  cursor.beginEditBlock();
  for (const Stale& run : stale) {
    QTextCharFormat change;
    change.setForeground(styles_[run.style].colour);
    change.setFontWeight(styles_[run.style].bold ? QFont::Bold : QFont::Normal);
    cursor.setPosition(run.position);
    cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(change);
  }
  cursor.endEditBlock();
  recolouring_ = false;
}

int Tchat::dropOldestLines() {
  QTextDocument* doc = mainchat->document();
  const int excess = korvel::client::chatLinesToDrop(doc->blockCount(), chatLineLimit);
  if (excess <= 0) return 0;
  QAbstractTextDocumentLayout* layout = doc->documentLayout();
  const QTextBlock keep = doc->findBlockByNumber(excess);
  const qreal moved =
      layout->blockBoundingRect(keep).top() - layout->blockBoundingRect(doc->firstBlock()).top();
  // The document's own trimming also frees the text the dropped lines leave behind in its
  // buffer; the limit is lifted again at once so that adding a line never trims line by line.
  doc->setMaximumBlockCount(doc->blockCount() - excess);
  doc->setMaximumBlockCount(0);
  return qRound(moved);
}

void Tchat::addlinetochat(const std::string& text, const QColor& colour) {
  // The whole line is decoded once, so all its runs are read by the same encoding.
  const auto line = korvel::client::parseChatLine(korvel::protocol::chatTextFromBytes(text));
  if (!line) return;
  setStyle(line->style, colour);
  QTextDocument* doc = mainchat->document();
  QScrollBar* bar = mainchat->verticalScrollBar();
  const int readerAt = bar->value();
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
    // Text from peers is inserted as text, never read as markup.
    if (run.kind == Kind::Invitation) {
      // A word joiner (which shows as nothing) at each place the line could break inside the
      // link, such as after "korvel://": the view moves the link whole to the next line.
      const QString text = utf8(run.text);
      QString whole;
      QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
      qsizetype from = 0;
      for (qsizetype at = breaks.toNextBoundary(); at > 0 && at < text.size();
           at = breaks.toNextBoundary()) {
        whole += text.mid(from, at - from) + QChar(0x2060);
        from = at;
      }
      whole += text.mid(from);
      QTextCharFormat link = styleFormat(korvel::client::kLinkStyle);
      link.setAnchor(true);
      link.setAnchorHref(utf8(run.address));
      cursor.insertText(whole, link);
    } else if (run.kind == Kind::Link) {
      QTextCharFormat link = styleFormat(korvel::client::kLinkStyle);
      link.setAnchor(true);
      link.setAnchorHref(utf8(run.address));
      cursor.insertText(utf8(run.text), link);
    } else {
      cursor.insertText(utf8(run.text), format);
    }
  }
  cursor.endEditBlock();
  const int moved = dropOldestLines();
  if (!ScrollChatOff1->isChecked()) {
    bar->setValue(bar->maximum());
  } else {
    // A reader who stopped the scrolling keeps looking at the same lines.
    bar->setValue(std::max(0, readerAt - moved));
  }
  recolourVisibleLines();
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
  if (watched == mainchat->viewport() && event->type() == QEvent::Resize) recolourVisibleLines();
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
  if (korvel::client::isInvitationAddress(address.toStdString())) {
    copyInvitation(address.toStdString());
    return;
  }
  const auto target = korvel::client::linkTarget(address.toStdString());
  if (!target || !desktopServices().openUrl(QString::fromStdString(*target))) {
    messageBoxes().showMessage("Cannot open Webpage");
  }
}

void Tchat::ClearMainChat1Click() {
  mainchat->clear();
  // Clearing the document drops its pictures too.
  registerSmilies();
  mychat->setFocus();
}

void Tchat::registerSmilies() {
  const qreal dpr = devicePixelRatioF();
  for (int n = 0; n < korvel::client::kSmilies; ++n) {
    mainchat->document()->addResource(QTextDocument::ImageResource, smileyUrl(n),
                                      artwork::smiley(n, dpr));
  }
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
  // A new default font lays out the whole chat again; the same size needs none of that.
  if (font.pointSize() != size) {
    font.setPointSize(size);
    mainchat->document()->setDefaultFont(font);
  }
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
  registerSmilies();
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
  // Lines scrolled or resized into view take their style's colour.
  connect(mainchat->verticalScrollBar(), &QScrollBar::valueChanged, this,
          [this] { recolourVisibleLines(); });
  // The address goes on as it was written: decoding "%20" would make it no address at all.
  connect(mainchat, &QTextBrowser::anchorClicked, this,
          [this](const QUrl& url) { mainchatJump(url.toString(QUrl::FullyEncoded)); });

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
  button_smilies->setIcon(QIcon(artwork::smiley(0, devicePixelRatioF())));
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
