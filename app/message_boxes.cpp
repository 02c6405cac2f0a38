#include "app/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {

class DialogMessageBoxes : public MessageBoxes {
 public:
  void showMessage(const QString& text) override {
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(), text);
  }
  bool askYesNo(const QString& text) override {
    return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationName(),
                                 text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  }
};

MessageBoxes* installed = nullptr;

}  // namespace

MessageBoxes& messageBoxes() {
  static DialogMessageBoxes dialogs;
  return installed ? *installed : dialogs;
}

void setMessageBoxes(MessageBoxes* boxes) {
  installed = boxes;
}
