#pragma once
// Stand-in routers on loopback for the port-mapping tests: a NAT-PMP responder (UDP, port 5351
// of a loopback address of its own), a UPnP gateway device (its description and SOAP control
// over HTTP on an ephemeral port) and an SSDP responder that answers a search with the addresses
// it is given. Each serves on a thread of its own and records what it was asked.

#include <netinet/in.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct MappingRequest {
  int insidePort = 0;
  int outsidePort = 0;
  int lease = 0;
  bool operator==(const MappingRequest&) const = default;
};

class FakeNatPmp {
 public:
  FakeNatPmp();
  ~FakeNatPmp();
  bool listening() const { return fd_ >= 0; }
  in_addr_t gateway() const { return gateway_; }

  // What it answers (set before a request is made).
  std::string outsideAddress = "203.0.113.7";
  int addressResult = 0;            // NAT-PMP result code for the address request
  int mapResult = 0;                // and for mapping requests
  int portOffset = 0;               // the router grants insidePort + portOffset
  uint32_t lifetime = 0;            // the lifetime it grants; what was asked when 0
  std::atomic<bool> silent{false};  // answers nothing

  std::vector<MappingRequest> requests() const;
  int addressRequests() const { return addressRequests_; }
  // Mapping requests, answered or not.
  int mapRequests() const { return mapRequests_; }

 private:
  void serve();
  int fd_ = -1;
  in_addr_t gateway_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> addressRequests_{0};
  std::atomic<int> mapRequests_{0};
  mutable std::mutex mutex_;
  std::vector<MappingRequest> requests_;
  std::thread thread_;
};

class FakeGateway {
 public:
  // On 127.0.0.1, or another loopback address.
  explicit FakeGateway(const char* address = "127.0.0.1");
  ~FakeGateway();
  std::string rootUrl() const;

  std::string outsideAddress = "203.0.113.7";
  // How the description is sent: whole, one byte every trickleMs, or as a description that never
  // ends (up to a gibibyte without a length, sent until the reader goes).
  enum class Description { Whole, Trickled, Endless };
  Description description = Description::Whole;
  int trickleMs = 4000;
  // Requests for anything (the description, SOAP) and what went out of an endless description.
  int requests() const { return requests_; }
  long long endlessSent() const { return endlessSent_; }
  // The UPnP error code an AddPortMapping gets (0: granted).
  std::function<int(const MappingRequest&)> addResult = [](const MappingRequest&) { return 0; };

  std::vector<MappingRequest> adds() const;
  std::vector<int> deletes() const;

 private:
  void serve();
  std::string answer(const std::string& request);
  // Sends a description other than whole; false when it was whole.
  bool sendOddDescription(int client);
  std::string address_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<int> requests_{0};
  std::atomic<long long> endlessSent_{0};
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<MappingRequest> adds_;
  std::vector<int> deletes_;
  std::thread thread_;
};

class FakeSsdp {
 public:
  FakeSsdp();
  ~FakeSsdp();
  int port() const { return port_; }
  // The LOCATION of each answer to a search, one datagram each, in this order.
  std::vector<std::string> locations;
  int searches() const { return searches_; }

 private:
  void serve();
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> searches_{0};
  std::thread thread_;
};
