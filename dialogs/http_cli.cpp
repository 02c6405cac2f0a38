#include "dialogs/http_cli.h"

#include <curl/curl.h>

#include <QMetaObject>
#include <functional>
#include <utility>

#include "dialogs/lobby_installer.h"

namespace fs = std::filesystem;

struct HttpCli::Transfer {
  HttpCli* owner = nullptr;
  korvel::dialogs::PartialFile file;
  bool begun = false;
};

HttpCli::HttpCli(QObject* parent) : QObject(parent) {
  // Not thread-safe in every libcurl build, so done once here on the GUI thread.
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpCli::~HttpCli() {
  abort();
  if (worker_.joinable()) worker_.join();
}

bool HttpCli::get(const std::string& url, const fs::path& folder, const std::string& name) {
  if (running_) return false;
  if (worker_.joinable()) worker_.join();
  running_ = true;
  aborted_ = false;
  received_ = 0;
  dataPending_ = false;
  worker_ = std::thread(&HttpCli::run, this, url, folder, name);
  return true;
}

void HttpCli::abort() {
  if (!running_) return;
  aborted_ = true;
  std::lock_guard lock(wakeMutex_);
  if (multi_ != nullptr) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

void HttpCli::post(std::function<void()> notify) {
  QMetaObject::invokeMethod(this, std::move(notify), Qt::QueuedConnection);
}

void HttpCli::run(std::string url, fs::path folder, std::string name) {
  Transfer t;
  t.owner = this;
  bool ok = false;
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* headers = nullptr;
  if (t.file.open(folder, name)) {
    easy = curl_easy_init();
    multi = curl_multi_init();
    headers = curl_slist_append(nullptr, (std::string("Accept: ") + kAccept).c_str());
  }
  if (easy != nullptr && multi != nullptr && headers != nullptr) {
    auto onHeader = +[](char* data, std::size_t size, std::size_t count, void* user) {
      auto* t = static_cast<Transfer*>(user);
      // Header lines are protocol text, octets as they come (ISO-8859-1), not game text.
      QString line = QString::fromLatin1(data, static_cast<qsizetype>(size * count));
      while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
      t->owner->post([owner = t->owner, line] { emit owner->headerReceived(line); });
      return size * count;
    };
    auto onData = +[](char* data, std::size_t size, std::size_t count, void* user) {
      auto* t = static_cast<Transfer*>(user);
      HttpCli* owner = t->owner;
      const std::size_t bytes = size * count;
      if (owner->aborted_) return std::size_t{0};
      if (owner->received_ + bytes > kMaxBody || !t->file.write(data, bytes)) return std::size_t{0};
      if (!t->begun) {
        t->begun = true;
        owner->post([owner] { emit owner->documentBegin(); });
      }
      owner->received_ += bytes;
      // One notification waits at a time; it reads the count when it is delivered.
      if (!owner->dataPending_.exchange(true)) {
        owner->post([owner] {
          owner->dataPending_ = false;
          emit owner->documentData();
        });
      }
      return bytes;
    };
    auto onProgress = +[](void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
      return static_cast<Transfer*>(user)->owner->aborted_ ? 1 : 0;
    };
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");  // no proxy, whatever the environment says
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, 30L);
    // A server that stops sending for a minute ends the transfer instead of hanging it.
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &t);
    curl_multi_add_handle(multi, easy);
    {
      std::lock_guard lock(wakeMutex_);
      multi_ = multi;
    }
    CURLcode result = CURLE_OK;
    bool done = false;
    while (!done && !aborted_) {
      int active = 0;
      if (curl_multi_perform(multi, &active) != CURLM_OK) {
        result = CURLE_FAILED_INIT;
        break;
      }
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE) {
          result = message->data.result;
          done = true;
        }
      }
      // abort() wakes this wait at once.
      if (!done && !aborted_) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    {
      std::lock_guard lock(wakeMutex_);
      multi_ = nullptr;
    }
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    ok =
        done && !aborted_ && result == CURLE_OK && status >= 200 && status < 300 && t.file.commit();
    curl_multi_remove_handle(multi, easy);
  }
  curl_slist_free_all(headers);
  if (multi != nullptr) curl_multi_cleanup(multi);
  if (easy != nullptr) curl_easy_cleanup(easy);
  if (!ok) t.file.discard();
  const quint64 size = ok ? t.file.size() : 0;
  post([this, ok, size] {
    if (worker_.joinable()) worker_.join();
    running_ = false;
    emit requestDone(ok, size);
  });
}
