#pragma once
// Stand-in routers on loopback for the port-mapping tests: a NAT-PMP responder (UDP, port 5351
// of a loopback address of its own) and a UPnP gateway device (its description and SOAP control
// over HTTP on an ephemeral port). Each serves on a thread of its own and records what it was
// asked.

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
  int addressResult = 0;  // NAT-PMP result code for the address request
  int mapResult = 0;      // and for mapping requests
  int portOffset = 0;     // the router grants insidePort + portOffset
  bool silent = false;    // answers nothing

  std::vector<MappingRequest> requests() const;
  int addressRequests() const { return addressRequests_; }

 private:
  void serve();
  int fd_ = -1;
  in_addr_t gateway_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> addressRequests_{0};
  mutable std::mutex mutex_;
  std::vector<MappingRequest> requests_;
  std::thread thread_;
};

class FakeGateway {
 public:
  FakeGateway();
  ~FakeGateway();
  std::string rootUrl() const;

  std::string outsideAddress = "203.0.113.7";
  // The UPnP error code an AddPortMapping gets (0: granted).
  std::function<int(const MappingRequest&)> addResult = [](const MappingRequest&) { return 0; };

  std::vector<MappingRequest> adds() const;
  std::vector<int> deletes() const;

 private:
  void serve();
  std::string answer(const std::string& request);
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<MappingRequest> adds_;
  std::vector<int> deletes_;
  std::thread thread_;
};
