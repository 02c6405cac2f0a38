#pragma once
#include <QDialog>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "records/tally_store.h"

// The tally list. It owns the tally of won games on disk.
class Ttallylist : public QDialog {
  Q_OBJECT
 public:
  explicit Ttallylist(QWidget* parent = nullptr);

  // Loads the tally file; a file that cannot be read is reported once and kept aside.
  void loadFrom(const std::filesystem::path& file);
  // Counts a finished game: the winner text, whether the local player won, and the other seated
  // players' names in seat order.
  void addgame(const std::string& winner, bool mine, const std::vector<std::string>& others);

  const korvel::records::TallyStore* store() const { return store_.get(); }

 private:
  std::unique_ptr<korvel::records::TallyStore> store_;
};
