#include "net/upnp_router.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <miniupnpc/upnpreplyparse.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>

#include "net/router_discovery.h"

using korvel::net::ExchangeLimit;
using korvel::net::RouterAnswer;

struct UpnpRouter::Device {
  UPNPUrls urls{};
  IGDdatas data{};
  std::string lanAddress;
  ~Device() { FreeUPNPUrls(&urls); }
};

namespace {

// The router's error in words: the UPnP name of the code when the library knows it.
RouterAnswer refusal(int code) {
  if (code < 0) {
    return RouterAnswer::refused(code, code == UPNPCOMMAND_HTTP_ERROR
                                           ? "it did not answer the request"
                                           : "its answer could not be read");
  }
  const char* known = strupnperror(code);
  return RouterAnswer::refused(
      code, (known ? std::string(known) : "error") + " (" + std::to_string(code) + ")");
}

// A service type that may stand in a header line and an XML attribute as it is.
bool plainToken(const char* text) {
  if (!*text) return false;
  for (const char* c = text; *c; ++c) {
    if (*c <= 0x20 || *c >= 0x7f || std::strchr("\"<>&'#", *c)) return false;
  }
  return true;
}

struct HttpReply {
  long status = 0;
  std::string body;
  std::string localAddress;  // this computer's address on the connection
};

// One HTTP request to a router, given up at `deadline`, when the limit stops it, or when the
// answer grows past kMaxRouterReply. Nothing when it did not complete.
std::optional<HttpReply> httpExchange(const std::string& url, const std::string* post,
                                      const std::vector<std::string>& headers,
                                      const ExchangeLimit& limit,
                                      ExchangeLimit::Clock::time_point deadline) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  curl_slist* list = nullptr;
  for (const std::string& h : headers) list = curl_slist_append(list, h.c_str());
  HttpReply reply;
  std::optional<HttpReply> result;
  const auto left = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                 ExchangeLimit::Clock::now())
        .count();
  };
  if (easy && multi && (headers.empty() || list) && !limit.expired(deadline)) {
    auto onData = +[](char* data, std::size_t size, std::size_t count, void* user) {
      auto* body = static_cast<std::string*>(user);
      const std::size_t bytes = size * count;
      if (body->size() + bytes > korvel::net::kMaxRouterReply) return std::size_t{0};
      body->append(data, bytes);
      return bytes;
    };
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // The router is on this network: never through a proxy from the environment.
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, std::max(1L, static_cast<long>(left())));
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(korvel::net::kMaxRouterReply));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reply.body);
    if (list) curl_easy_setopt(easy, CURLOPT_HTTPHEADER, list);
    if (post) {
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(post->size()));
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS, post->c_str());
    }
    curl_multi_add_handle(multi, easy);
    int running = 1;
    bool cut = false;
    while (running > 0) {
      if (curl_multi_perform(multi, &running) != CURLM_OK) break;
      if (running == 0) break;
      // In short steps, so that the program ending is seen at once.
      if ((cut = limit.expired(deadline))) break;
      curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::clamp(left(), 1L, 50L)), nullptr);
    }
    int queued = 0;
    const CURLMsg* done = cut ? nullptr : curl_multi_info_read(multi, &queued);
    if (done && done->msg == CURLMSG_DONE && done->data.result == CURLE_OK) {
      curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &reply.status);
      char* local = nullptr;
      if (curl_easy_getinfo(easy, CURLINFO_LOCAL_IP, &local) == CURLE_OK && local)
        reply.localAddress = local;
      result = std::move(reply);
    }
    curl_multi_remove_handle(multi, easy);
  }
  if (easy) curl_easy_cleanup(easy);
  if (multi) curl_multi_cleanup(multi);
  curl_slist_free_all(list);
  return result;
}

}  // namespace

UpnpRouter::UpnpRouter(Options options) : options_(std::move(options)) {}
UpnpRouter::~UpnpRouter() = default;

const ExchangeLimit& UpnpRouter::limit() const {
  static const ExchangeLimit kNoLimit;
  return options_.limit ? *options_.limit : kNoLimit;
}

std::vector<std::string> UpnpRouter::routingTableGateways() {
  std::ifstream file("/proc/net/route");
  std::string table(64 * 1024, '\0');
  file.read(table.data(), static_cast<std::streamsize>(table.size()));
  table.resize(static_cast<std::size_t>(file.gcount()));
  return korvel::net::defaultGateways(table);
}

std::string UpnpRouter::search(const std::vector<std::string>& gateways) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {};
  const unsigned char ttl = 2;
  ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(options_.searchPort));
  std::string found;
  if (::inet_pton(AF_INET, options_.searchHost.c_str(), &to.sin_addr) == 1) {
    // Devices answer within MX seconds; a second search halfway covers a lost datagram.
    const std::string request =
        korvel::net::ssdpSearch(options_.searchHost, options_.searchPort,
                                std::clamp(options_.searchMilliseconds / 1000 - 1, 1, 5));
    const auto wait = std::chrono::milliseconds(options_.searchMilliseconds);
    const auto deadline = limit().deadline(wait);
    auto resend = ExchangeLimit::Clock::now();
    for (int sent = 0; found.empty() && !limit().expired(deadline);) {
      if (sent < 2 && ExchangeLimit::Clock::now() >= resend) {
        ::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
        ++sent;
        resend += wait / 2;
      }
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) != 1) continue;
      char datagram[1500];
      const ssize_t n = ::recv(fd, datagram, sizeof datagram, 0);
      if (n <= 0) continue;
      const auto location =
          korvel::net::ssdpLocation(std::string_view(datagram, static_cast<std::size_t>(n)));
      // Any other device on the network may answer too: only the gateway is the router.
      if (location && korvel::net::isGatewayUrl(*location, gateways)) found = *location;
    }
  }
  ::close(fd);
  return found;
}

bool UpnpRouter::find() {
  if (searched_) return device_ != nullptr;
  searched_ = true;
  const std::vector<std::string> gateways =
      options_.gateways ? options_.gateways() : routingTableGateways();
  if (gateways.empty()) return false;
  const std::string url =
      options_.rootDescriptionUrl.empty() ? search(gateways) : options_.rootDescriptionUrl;
  if (!korvel::net::isGatewayUrl(url, gateways)) return false;
  const auto reply = httpExchange(url, nullptr, {}, limit(), limit().deadline(options_.httpWait));
  if (!reply || reply->status != 200 || reply->body.empty()) return false;
  auto device = std::make_unique<Device>();
  parserootdesc(reply->body.data(), static_cast<int>(reply->body.size()), &device->data);
  GetUPNPUrls(&device->urls, &device->data, url.c_str(), 0);
  // A gateway device with a connection service, controlled at the gateway itself.
  if (!plainToken(device->data.first.servicetype) || !device->urls.controlURL ||
      !korvel::net::isGatewayUrl(device->urls.controlURL, gateways) ||
      !korvel::net::cleanIpv4(reply->localAddress)) {
    return false;
  }
  device->lanAddress = reply->localAddress;
  device_ = std::move(device);
  return true;
}

int UpnpRouter::command(const char* action,
                        const std::vector<std::pair<const char*, std::string>>& args,
                        const char* wanted, std::string* value) {
  const std::string service = device_->data.first.servicetype;
  std::string body =
      "<?xml version=\"1.0\"?>\r\n<s:Envelope "
      "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
      "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:" +
      std::string(action) + " xmlns:u=\"" + service + "\">";
  for (const auto& [name, text] : args)
    body += "<" + std::string(name) + ">" + text + "</" + name + ">";
  body += "</u:" + std::string(action) + "></s:Body></s:Envelope>\r\n";
  const auto reply = httpExchange(device_->urls.controlURL, &body,
                                  {"Content-Type: text/xml; charset=\"utf-8\"",
                                   "SOAPAction: \"" + service + "#" + action + "\"", "Expect:"},
                                  limit(), limit().deadline(options_.httpWait));
  if (!reply || reply->body.empty()) return UPNPCOMMAND_HTTP_ERROR;
  NameValueParserData data{};
  ParseNameValue(reply->body.data(), static_cast<int>(reply->body.size()), &data);
  int result = UPNPCOMMAND_SUCCESS;
  if (const char* code = GetValueFromNameValueList(&data, "errorCode")) {
    const std::string_view text(code);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (error != std::errc() || end != text.data() + text.size() || result <= 0)
      result = UPNPCOMMAND_INVALID_RESPONSE;
  } else if (reply->status != 200) {
    result = UPNPCOMMAND_HTTP_ERROR;
  } else if (wanted) {
    const char* found = GetValueFromNameValueList(&data, wanted);
    if (found && value) {
      *value = found;
    } else {
      result = UPNPCOMMAND_INVALID_RESPONSE;
    }
  }
  ClearNameValueList(&data);
  return result;
}

RouterAnswer UpnpRouter::outsideAddress() {
  if (!find()) return RouterAnswer::noAnswer("no gateway device");
  std::string address;
  const int r = command("GetExternalIPAddress", {}, "NewExternalIPAddress", &address);
  if (r != UPNPCOMMAND_SUCCESS) return refusal(r);
  RouterAnswer a;
  a.status = RouterAnswer::Status::Ok;
  a.address = address == "0.0.0.0" ? "" : address;
  return a;
}

RouterAnswer UpnpRouter::add(int insidePort, int outsidePort, int leaseSeconds) {
  if (!find()) return RouterAnswer::noAnswer("no gateway device");
  const int lease = std::max(leaseSeconds, 0);
  const int r = command("AddPortMapping", {{"NewRemoteHost", ""},
                                           {"NewExternalPort", std::to_string(outsidePort)},
                                           {"NewProtocol", "TCP"},
                                           {"NewInternalPort", std::to_string(insidePort)},
                                           {"NewInternalClient", device_->lanAddress},
                                           {"NewEnabled", "1"},
                                           {"NewPortMappingDescription", "Korvel"},
                                           {"NewLeaseDuration", std::to_string(lease)}});
  if (r != UPNPCOMMAND_SUCCESS) return refusal(r);
  RouterAnswer a;
  a.status = RouterAnswer::Status::Ok;
  a.port = outsidePort;
  a.leaseSeconds = lease;
  return a;
}

RouterAnswer UpnpRouter::remove(int, int outsidePort) {
  if (!find()) return RouterAnswer::noAnswer("no gateway device");
  const int r = command("DeletePortMapping", {{"NewRemoteHost", ""},
                                              {"NewExternalPort", std::to_string(outsidePort)},
                                              {"NewProtocol", "TCP"}});
  if (r != UPNPCOMMAND_SUCCESS) return refusal(r);
  RouterAnswer a;
  a.status = RouterAnswer::Status::Ok;
  return a;
}
