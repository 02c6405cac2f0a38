#include "fake_router.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

void put16(unsigned char* at, int v) {
  at[0] = static_cast<unsigned char>(v >> 8);
  at[1] = static_cast<unsigned char>(v);
}
void put32(unsigned char* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}
int get16(const unsigned char* at) {
  return at[0] << 8 | at[1];
}
uint32_t get32(const unsigned char* at) {
  return uint32_t(at[0]) << 24 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 8 | at[3];
}

// The text between <tag> and </tag> in body, or "".
std::string element(const std::string& body, const std::string& tag) {
  const auto start = body.find("<" + tag + ">");
  if (start == std::string::npos) return "";
  const auto from = start + tag.size() + 2;
  const auto end = body.find("</" + tag + ">", from);
  return end == std::string::npos ? "" : body.substr(from, end - from);
}

int number(const std::string& text) {
  return text.empty() ? 0 : std::stoi(text);
}

}  // namespace

FakeNatPmp::FakeNatPmp() {
  // A loopback address of this process's own, so that tests running side by side do not share
  // port 5351.
  for (int attempt = 0; attempt < 64 && fd_ < 0; ++attempt) {
    const unsigned pid = static_cast<unsigned>(::getpid()) + static_cast<unsigned>(attempt);
    gateway_ = htonl(127u << 24 | 53u << 16 | (pid >> 8 & 0xff) << 8 | ((pid & 0xff) | 1));
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(5351);
    at.sin_addr.s_addr = gateway_;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0) {
      fd_ = fd;
    } else {
      ::close(fd);
    }
  }
  if (fd_ >= 0) thread_ = std::thread([this] { serve(); });
}

FakeNatPmp::~FakeNatPmp() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) ::close(fd_);
}

std::vector<MappingRequest> FakeNatPmp::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void FakeNatPmp::serve() {
  while (!stop_) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    unsigned char in[64];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n =
        ::recvfrom(fd_, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n < 2) continue;
    if (in[1] == 0) ++addressRequests_;
    if (in[1] == 2) ++mapRequests_;
    if (silent) continue;
    unsigned char out[16] = {};
    out[1] = static_cast<unsigned char>(128 + in[1]);
    put32(out + 4, 1000);  // seconds since the router started
    std::size_t size = 12;
    if (in[1] == 0) {
      put16(out + 2, addressResult);
      in_addr a{};
      inet_pton(AF_INET, outsideAddress.c_str(), &a);
      std::memcpy(out + 8, &a, 4);
    } else if (in[1] == 2 && n >= 12) {
      MappingRequest r{get16(in + 4), get16(in + 6), static_cast<int>(get32(in + 8))};
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(r);
      }
      put16(out + 2, mapResult);
      put16(out + 8, r.insidePort);
      put16(out + 10, r.lease == 0 ? 0 : r.insidePort + portOffset);
      put32(out + 12, lifetime != 0 && r.lease != 0 ? lifetime : static_cast<uint32_t>(r.lease));
      size = 16;
    } else {
      continue;
    }
    ::sendto(fd_, out, size, 0, reinterpret_cast<sockaddr*>(&from), length);
  }
}

FakeGateway::FakeGateway(const char* address) : address_(address) {
  fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  inet_pton(AF_INET, address, &at.sin_addr);
  socklen_t length = sizeof at;
  ::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at);
  ::listen(fd_, 8);
  ::getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &length);
  port_ = ntohs(at.sin_port);
  thread_ = std::thread([this] { serve(); });
}

FakeGateway::~FakeGateway() {
  stop_ = true;
  thread_.join();
  ::close(fd_);
}

std::string FakeGateway::rootUrl() const {
  return "http://" + address_ + ":" + std::to_string(port_) + "/rootDesc.xml";
}

std::vector<MappingRequest> FakeGateway::adds() const {
  std::lock_guard lock(mutex_);
  return adds_;
}

std::vector<int> FakeGateway::deletes() const {
  std::lock_guard lock(mutex_);
  return deletes_;
}

void FakeGateway::serve() {
  while (!stop_) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    const int client = ::accept(fd_, nullptr, nullptr);
    if (client < 0) continue;
    std::string request;
    char buffer[4096];
    // The headers, then as much body as Content-Length says.
    for (;;) {
      pollfd c{client, POLLIN, 0};
      if (::poll(&c, 1, 2000) <= 0) break;
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
      const auto headersEnd = request.find("\r\n\r\n");
      if (headersEnd == std::string::npos) continue;
      std::size_t body = 0;
      for (const char* name : {"Content-Length: ", "CONTENT-LENGTH: ", "content-length: "}) {
        if (const auto at = request.find(name); at != std::string::npos)
          body = std::stoul(request.substr(at + std::strlen(name)));
      }
      if (request.size() >= headersEnd + 4 + body) break;
    }
    ++requests_;
    if (!request.starts_with("GET /rootDesc.xml") || !sendOddDescription(client)) {
      const std::string reply = answer(request);
      ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    }
    ::close(client);
  }
}

bool FakeGateway::sendOddDescription(int client) {
  if (description == Description::Whole) return false;
  const auto stopped = [&](int ms) {
    for (int waited = 0; waited < ms && !stop_; waited += 10) ::usleep(10000);
    return stop_.load();
  };
  if (description == Description::Trickled) {
    const std::string reply = answer("GET /rootDesc.xml");
    for (const char c : reply) {
      if (::send(client, &c, 1, MSG_NOSIGNAL) != 1 || stopped(trickleMs)) break;
    }
    return true;
  }
  const std::string head =
      "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n<?xml "
      "version=\"1.0\"?>\r\n<root xmlns=\"urn:schemas-upnp-org:device-1-0\"><device>";
  ::send(client, head.data(), head.size(), MSG_NOSIGNAL);
  const std::string filler(64 * 1024, ' ');
  for (long long sent = 0; sent < (1LL << 30) && !stop_;) {
    pollfd c{client, POLLOUT, 0};
    if (::poll(&c, 1, 20) <= 0) continue;
    const ssize_t n = ::send(client, filler.data(), filler.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno != EAGAIN) break;
    if (n > 0) endlessSent_ = sent += n;
  }
  return true;
}

std::string FakeGateway::answer(const std::string& request) {
  const std::string service = "urn:schemas-upnp-org:service:WANIPConnection:1";
  std::string status = "200 OK", type = "text/xml", body;
  const auto envelope = [](const std::string& inner) {
    return "<?xml version=\"1.0\"?>\r\n<s:Envelope "
           "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body>" +
           inner + "</s:Body></s:Envelope>";
  };
  const auto fault = [&](int code) {
    status = "500 Internal Server Error";
    return envelope(
        "<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail>"
        "<UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>" +
        std::to_string(code) + "</errorCode><errorDescription>Refused</errorDescription>" +
        "</UPnPError></detail></s:Fault>");
  };
  if (request.starts_with("GET /rootDesc.xml")) {
    body =
        "<?xml version=\"1.0\"?>\r\n<root xmlns=\"urn:schemas-upnp-org:device-1-0\">"
        "<specVersion><major>1</major><minor>0</minor></specVersion><device>"
        "<deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1</deviceType>"
        "<friendlyName>Test router</friendlyName><deviceList><device>"
        "<deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType><serviceList><service>"
        "<serviceType>urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1</serviceType>"
        "<serviceId>urn:upnp-org:serviceId:WANCommonIFC1</serviceId>"
        "<controlURL>/ctl/CmnIfCfg</controlURL><eventSubURL>/evt/CmnIfCfg</eventSubURL>"
        "<SCPDURL>/WANCfg.xml</SCPDURL></service></serviceList><deviceList><device>"
        "<deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1</deviceType>"
        "<serviceList><service><serviceType>" +
        service +
        "</serviceType><serviceId>urn:upnp-org:serviceId:WANIPConn1</serviceId>"
        "<controlURL>/ctl/IPConn</controlURL><eventSubURL>/evt/IPConn</eventSubURL>"
        "<SCPDURL>/WANIPCn.xml</SCPDURL></service></serviceList></device></deviceList>"
        "</device></deviceList></device></root>";
  } else if (request.find("#GetExternalIPAddress") != std::string::npos) {
    body = envelope("<u:GetExternalIPAddressResponse xmlns:u=\"" + service +
                    "\"><NewExternalIPAddress>" + outsideAddress +
                    "</NewExternalIPAddress></u:GetExternalIPAddressResponse>");
  } else if (request.find("#AddPortMapping") != std::string::npos) {
    const MappingRequest r{number(element(request, "NewInternalPort")),
                           number(element(request, "NewExternalPort")),
                           number(element(request, "NewLeaseDuration"))};
    const int code = addResult(r);
    if (code == 0) {
      std::lock_guard lock(mutex_);
      adds_.push_back(r);
    }
    body = code ? fault(code) : envelope("<u:AddPortMappingResponse xmlns:u=\"" + service + "\"/>");
  } else if (request.find("#DeletePortMapping") != std::string::npos) {
    {
      std::lock_guard lock(mutex_);
      deletes_.push_back(number(element(request, "NewExternalPort")));
    }
    body = envelope("<u:DeletePortMappingResponse xmlns:u=\"" + service + "\"/>");
  } else {
    status = "404 Not Found";
  }
  return "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
         "\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
         body;
}

FakeSsdp::FakeSsdp() {
  fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof at;
  ::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at);
  ::getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &length);
  port_ = ntohs(at.sin_port);
  thread_ = std::thread([this] { serve(); });
}

FakeSsdp::~FakeSsdp() {
  stop_ = true;
  thread_.join();
  ::close(fd_);
}

void FakeSsdp::serve() {
  while (!stop_) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    char in[1500];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t n =
        ::recvfrom(fd_, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n <= 0 || !std::string(in, static_cast<std::size_t>(n)).starts_with("M-SEARCH")) continue;
    ++searches_;
    for (const std::string& location : locations) {
      const std::string out =
          "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: "
          "urn:schemas-upnp-org:device:InternetGatewayDevice:1\r\nLOCATION: " +
          location + "\r\nSERVER: Test/1.0 UPnP/1.1\r\n\r\n";
      ::sendto(fd_, out.data(), out.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    }
  }
}
