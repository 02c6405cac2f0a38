#include "shell/message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

namespace {

// Both boxes show their text as plain text, never markup: it may carry a peer's name, chat or
// the server's words.
class DialogMessageBoxes : public MessageBoxes {
 public:
  bool askYesNo(const QString& text) override {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    // Every question asks before something that cannot be undone (leaving a game, deleting a
    // record), so Enter keeps things as they are.
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
  }

 protected:
  void presentMessage(const QString& text, std::function<void()> dismissed) override {
    // Application-modal, so the user answers it before clicking anything else, but opened with
    // show() instead of exec(): no nested event loop, nothing waits for it. Without a parent it
    // cannot be destroyed unanswered by a closing window, which would leave `dismissed` uncalled.
    auto* box = new QMessageBox(QMessageBox::Information, QApplication::applicationName(), text,
                                QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QDialog::finished, box,
                     [dismissed = std::move(dismissed)] { dismissed(); });
    box->show();
  }
};

MessageBoxes* installed = nullptr;

}  // namespace

MessageBoxes::MessageBoxes() : self_(std::make_shared<MessageBoxes*>(this)) {}

MessageBoxes::~MessageBoxes() = default;

void MessageBoxes::showMessage(const QString& text, std::function<void()> then) {
  // An error met on every tick while a box is open would otherwise pile up one box per tick.
  const bool lastIsWaiting = queue_.size() > (presenting_ ? 1u : 0u);
  if (!then && lastIsWaiting && !queue_.back().then && queue_.back().text == text) return;
  queue_.push_back({text, std::move(then)});
  if (!presenting_) postNext();
}

void MessageBoxes::postNext() {
  if (posted_ || queue_.empty()) return;
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) {
    // No event loop to post to (nothing in the program runs without one).
    presentNext();
    return;
  }
  posted_ = true;
  const std::weak_ptr<MessageBoxes*> weak = self_;
  QMetaObject::invokeMethod(
      app,
      [weak] {
        const auto alive = weak.lock();
        if (!alive) return;
        MessageBoxes* self = *alive;
        self->posted_ = false;
        self->presentNext();
      },
      Qt::QueuedConnection);
}

void MessageBoxes::presentNext() {
  if (presenting_ || queue_.empty()) return;
  presenting_ = true;
  auto done = std::make_shared<bool>(false);
  const std::weak_ptr<MessageBoxes*> weak = self_;
  auto dismissed = [weak, done] {
    if (std::exchange(*done, true)) return;
    if (const auto alive = weak.lock()) (*alive)->finishPresented();
  };
  // A copy: a presentation dismissed at once removes the queue entry under it.
  const QString text = queue_.front().text;
  try {
    presentMessage(text, dismissed);
  } catch (...) {
    // A box that cannot be shown counts as dismissed, so the boxes after it and its
    // continuation are not held up for ever.
    dismissed();
  }
}

void MessageBoxes::finishPresented() {
  Pending finished = std::move(queue_.front());
  queue_.pop_front();
  presenting_ = false;
  postNext();
  if (finished.then) finished.then();
}

MessageBoxes& messageBoxes() {
  static DialogMessageBoxes dialogs;
  return installed ? *installed : dialogs;
}

void setMessageBoxes(MessageBoxes* boxes) {
  installed = boxes;
}

void showReportedError(const std::string& text) {
  messageBoxes().showMessage(QString::fromStdString(text));
}
