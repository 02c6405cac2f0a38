// The phrase buttons, the voice clips and their option.

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include "client/colour_text.h"
#include "protocol/tsock.h"
#include "window/peer_text.h"
#include "window/sound_player.h"
#include "window/tchat.h"

namespace {

// A phrase button's picture: a speech bubble with its number, or a note for the clip button.
QPixmap bubble(const QString& label, qreal dpr) {
  QPixmap pixmap(QSize(25, 19) * dpr);
  pixmap.setDevicePixelRatio(dpr);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.addRoundedRect(QRectF(1.5, 1.5, 22, 13), 5, 5);
  path.moveTo(6, 14);
  path.lineTo(5, 18);
  path.lineTo(10, 14.5);
  p.setPen(QPen(QColor(0x6b, 0x4a, 0x1d), 1));
  p.setBrush(QColor(0xff, 0xf6, 0xd8));
  p.drawPath(path.simplified());
  QFont font("Arial");
  font.setPixelSize(11);
  font.setBold(true);
  p.setFont(font);
  p.setPen(QColor(0x3a, 0x26, 0x0c));
  p.drawText(QRectF(1.5, 1.5, 22, 13), Qt::AlignCenter, label);
  return pixmap;
}

}  // namespace

void Tchat::setClipPlayer(SoundPlayer* player) {
  clips_ = player ? player : ownClips_.get();
}

void Tchat::setPhrase(int button, const std::string& phrase) {
  phrases[button - 1] = phrase;
  const QString text = peerText(phrase);
  setPeerToolTip(b_phrase[button - 1], text);
  b_phrase[button - 1]->setAccessibleName(text.isEmpty() ? QString("Phrase %1").arg(button) : text);
}

void Tchat::b_phrase1Click(int button) {
  const auto at = now ? now() : korvel::client::PhraseCooldown::Clock::now();
  if (!game.connected || !cooldown_.ready(at)) return;
  guarded([&] {
    sock->send(korvel::client::phraseMessage(game.myplayer, phrases[button - 1],
                                             korvel::client::colourToText(actioncolor)));
  });
  cooldown_.used(at);
}

void Tchat::wave4Click(int clip) {
  if (!game.connected) return;
  if (auto message = korvel::client::clipMessage(game.myplayer, clip))
    guarded([&] { sock->send(*message); });
}

void Tchat::playasound(const std::string& argument) {
  const auto clip = korvel::client::readClip(argument);
  if (!clip) return;
  if (PlayerPhraseSounds1->isChecked()) {
    if (clips_) clips_->play(clip->name);
    return;
  }
  const std::string name = game.seatLabel(clip->seat);
  if (auto line = korvel::client::clipLine(name, clip->name)) addlinetochat(*line, systemcolor);
}

void Tchat::PlayerPhraseSounds1Click() {
  saveinifile({korvel::app::kPlayerphrasesoundsKey});
}

void Tchat::PrhaseList1Click() {
  if (showPhrases) showPhrases();
}

void Tchat::buildPhraseButtons() {
  const qreal dpr = devicePixelRatioF();
  static constexpr int kLefts[] = {493, 520, 547, 573, 600, 627, 653, 680, 707};
  for (int n = 1; n <= korvel::client::kPhrases; ++n) {
    auto* button = new QToolButton(panel_board);
    button->setObjectName(QString("b_phrase%1").arg(n));
    button->setGeometry(kLefts[n - 1], 268, 25, 19);
    button->setAutoRaise(true);
    button->setIcon(QIcon(bubble(QString::number(n), dpr)));
    button->setIconSize(QSize(25, 19));
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QToolButton::clicked, this, [this, n] { b_phrase1Click(n); });
    b_phrase[n - 1] = button;
    setPhrase(n, korvel::client::kBuiltinPhrases[n - 1]);
  }
  b_phrase10 = new QToolButton(panel_board);
  b_phrase10->setObjectName("b_phrase10");
  b_phrase10->setGeometry(734, 268, 25, 19);
  b_phrase10->setAutoRaise(true);
  b_phrase10->setIcon(QIcon(bubble(QString(QChar(0x266A)), dpr)));
  b_phrase10->setIconSize(QSize(25, 19));
  b_phrase10->setToolTip("Play Chatter Sounds");
  b_phrase10->setAccessibleName("Play Chatter Sounds");
  b_phrase10->setCursor(Qt::PointingHandCursor);
  popup_sounds = new QMenu(this);
  for (int n = 0; n <= 12; ++n) {
    QAction* entry =
        popup_sounds->addAction(korvel::client::kClipTitles[n], this, [this, n] { wave4Click(n); });
    entry->setObjectName(n == 0 ? QString("Cancel1") : QString("wave%1").arg(n));
  }
  // Any button released over it opens the clips.
  const auto open = [this] {
    popup_sounds->popup(b_phrase10->mapToGlobal(b_phrase10->rect().bottomRight()));
  };
  connect(b_phrase10, &QToolButton::clicked, this, open);
  b_phrase10->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(b_phrase10, &QWidget::customContextMenuRequested, this, open);
}
