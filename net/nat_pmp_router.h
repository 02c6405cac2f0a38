#pragma once
// Asking the router by NAT-PMP (libnatpmp): a UDP request to the default gateway's port 5351,
// answered within a bounded wait. libnatpmp takes answers from the default gateway only. Blocking;
// run it off the GUI thread.

#include <netinet/in.h>

#include <chrono>
#include <memory>
#include <optional>

#include "net/port_mapping.h"

class NatPmpRouter : public korvel::net::MappingProtocol {
 public:
  struct Options {
    // The router to ask; the default gateway when not given (tests give a loopback address).
    std::optional<in_addr_t> gateway;
    // How long one request waits for its answer, its resends included.
    std::chrono::milliseconds wait{2000};
    // Cuts the wait short when the program ends; none when not given.
    std::shared_ptr<const korvel::net::ExchangeLimit> limit;
  };
  NatPmpRouter() : NatPmpRouter(Options()) {}
  explicit NatPmpRouter(Options options);
  ~NatPmpRouter() override;
  NatPmpRouter(const NatPmpRouter&) = delete;
  NatPmpRouter& operator=(const NatPmpRouter&) = delete;

  std::string name() const override { return "NAT-PMP"; }
  korvel::net::RouterAnswer outsideAddress() override;
  korvel::net::RouterAnswer add(int insidePort, int outsidePort, int leaseSeconds) override;
  korvel::net::RouterAnswer remove(int insidePort, int outsidePort) override;

 private:
  struct Session;
  Options options_;
};
