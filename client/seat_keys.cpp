#include "client/seat_keys.h"

#include <algorithm>
#include <system_error>

#include "app/settings_file.h"
#include "protocol/message.h"
#include "records/regular_file.h"

namespace korvel::client {

namespace {

constexpr std::size_t kMaxFileBytes = 64 * 1024;

bool plainField(std::string_view text) {
  return !text.empty() && std::none_of(text.begin(), text.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

}  // namespace

std::vector<SeatKey> readSeatKeys(std::string_view text) {
  std::vector<SeatKey> keys;
  while (!text.empty() && keys.size() < kKeptSeatKeys) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    std::string_view field[4];
    for (int n = 0; n < 3; ++n) {
      const auto tab = line.find('\t');
      if (tab == std::string_view::npos) {
        line = {};
        break;
      }
      field[n] = line.substr(0, tab);
      line = line.substr(tab + 1);
    }
    field[3] = line;
    int port = 0;
    for (char c : field[1])
      port = c >= '0' && c <= '9' && port < 65536 ? port * 10 + (c - '0') : -1;
    if (!plainField(field[0]) || field[1].empty() || port <= 0 || port > 65535 ||
        !protocol::isSeatKey(field[2]) || !plainField(field[3])) {
      continue;
    }
    keys.push_back({std::string(field[0]), port, std::string(field[3]), std::string(field[2])});
  }
  return keys;
}

std::string seatKeysText(const std::vector<SeatKey>& keys) {
  std::string text;
  for (const SeatKey& k : keys) {
    text += k.host + '\t' + std::to_string(k.port) + '\t' + k.key + '\t' + k.name + '\n';
  }
  return text;
}

void rememberSeatKey(std::vector<SeatKey>& keys, SeatKey key) {
  std::erase_if(keys, [&](const SeatKey& k) {
    return k.host == key.host && k.port == key.port && k.name == key.name;
  });
  keys.insert(keys.begin(), std::move(key));
  if (keys.size() > kKeptSeatKeys) keys.resize(kKeptSeatKeys);
}

std::optional<std::string> seatKeyFor(const std::vector<SeatKey>& keys, std::string_view host,
                                      int port, std::string_view name) {
  for (const SeatKey& k : keys) {
    if (k.host == host && k.port == port && k.name == name) return k.key;
  }
  return std::nullopt;
}

std::vector<SeatKey> loadSeatKeys(const std::filesystem::path& file) {
  const records::FileRead read = records::readRegularFile(file, kMaxFileBytes);
  if (read.status != records::FileReadStatus::Read) return {};
  return readSeatKeys(read.bytes);
}

bool saveSeatKeys(const std::filesystem::path& file, const std::vector<SeatKey>& keys) {
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  return app::replaceFileBytes(file, seatKeysText(keys), 0600);
}

}  // namespace korvel::client
