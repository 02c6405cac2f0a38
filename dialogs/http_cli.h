#pragma once
// `HttpCli`: the installer download over libcurl, on a worker thread. The request is HTTP/1.0
// with the headers the maker's server expects, never through a proxy; redirects are followed to
// https:// addresses only. The body goes to a PartialFile that replaces the installer only when
// the transfer completed with a 2xx status. Notifications are delivered on the thread that owns
// this object (the GUI thread), in the order they happened, each run ending with requestDone.

#include <QObject>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class HttpCli : public QObject {
  Q_OBJECT
 public:
  static constexpr const char* kUserAgent = "Mozilla/3.0 (compatible)";
  static constexpr const char* kAccept = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
  // A body larger than this is refused, so a broken server cannot fill the disk.
  static constexpr std::uint64_t kMaxBody = std::uint64_t{512} << 20;

  explicit HttpCli(QObject* parent = nullptr);
  // Stops a running transfer and waits for its thread.
  ~HttpCli() override;

  // Starts fetching url into folder/name. False (and nothing started) while a transfer runs.
  bool get(const std::string& url, const std::filesystem::path& folder, const std::string& name);
  // Makes a running transfer end at once with a failure; does nothing when none runs.
  void abort();
  // From get() until requestDone has been delivered.
  bool running() const { return running_; }
  // Body bytes received so far in the current or last transfer.
  std::uint64_t rcvdCount() const { return received_; }

 signals:
  void headerReceived(const QString& line);
  void documentBegin();
  void documentData();
  // ok: complete, 2xx, and saved under the installer's name; size is then the saved file's size.
  void requestDone(bool ok, quint64 size);

 private:
  struct Transfer;
  void run(std::string url, std::filesystem::path folder, std::string name);
  void post(std::function<void()> notify);

  std::thread worker_;
  bool running_ = false;
  std::atomic<bool> aborted_{false};
  std::atomic<std::uint64_t> received_{0};
  std::atomic<bool> dataPending_{false};
  std::mutex wakeMutex_;
  void* multi_ = nullptr;  // the running transfer's CURLM, for waking it on abort
};
