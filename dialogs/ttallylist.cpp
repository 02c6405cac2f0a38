#include "dialogs/ttallylist.h"

#include "app/message_boxes.h"

Ttallylist::Ttallylist(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - Tally List");
}

void Ttallylist::loadFrom(const std::filesystem::path& file) {
  store_ = std::make_unique<korvel::records::TallyStore>(file);
  if (auto error = store_->load()) messageBoxes().showMessage(QString::fromStdString(*error));
}

void Ttallylist::addgame(const std::string& winner, bool mine,
                         const std::vector<std::string>& others) {
  if (!store_) return;
  try {
    store_->addgame(winner, mine, others);
  } catch (const korvel::records::TallyConversionError& e) {
    // A counter that is not a number stops this update; what was counted before is saved.
    messageBoxes().showMessage(QString::fromStdString(e.what()));
  }
}
