#pragma once
// Asking the router by UPnP IGD: an SSDP search on the local network for gateway devices, the
// description of the one at the default gateway (any other device that answers is ignored), then
// SOAP requests to its control address. The HTTP exchanges go through libcurl, each with a
// deadline and a cap on what is read (kMaxRouterReply); miniupnpc reads the description and the
// replies. Blocking, each step bounded; run it off the GUI thread.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "net/port_mapping.h"

class UpnpRouter : public korvel::net::MappingProtocol {
 public:
  struct Options {
    // The gateway's root description; when given, the search is skipped (tests point it at a
    // device on loopback). It is still taken only from a default gateway.
    std::string rootDescriptionUrl;
    // How long the search waits for devices to answer.
    int searchMilliseconds = 2500;
    // Where the search is sent: the SSDP group (tests give a responder on loopback).
    std::string searchHost = "239.255.255.250";
    int searchPort = 1900;
    // The longest one HTTP exchange (the description, each SOAP request) may take.
    std::chrono::milliseconds httpWait{3000};
    // This computer's default gateways: the routing table's when not given.
    std::function<std::vector<std::string>()> gateways;
    // Cuts every wait short when the program ends; none when not given.
    std::shared_ptr<const korvel::net::ExchangeLimit> limit;
  };
  UpnpRouter() : UpnpRouter(Options()) {}
  explicit UpnpRouter(Options options);
  ~UpnpRouter() override;
  UpnpRouter(const UpnpRouter&) = delete;
  UpnpRouter& operator=(const UpnpRouter&) = delete;

  std::string name() const override { return "UPnP"; }
  korvel::net::RouterAnswer outsideAddress() override;
  korvel::net::RouterAnswer add(int insidePort, int outsidePort, int leaseSeconds) override;
  korvel::net::RouterAnswer remove(int insidePort, int outsidePort) override;

  // The default gateways in this computer's routing table (/proc/net/route).
  static std::vector<std::string> routingTableGateways();

 private:
  struct Device;
  // Finds the gateway once; false when none answered.
  bool find();
  // The description address of the first gateway device at a default gateway that answers the
  // search, or "" when none did within the wait.
  std::string search(const std::vector<std::string>& gateways);
  // Runs a SOAP action on the device's control address: UPNPCOMMAND_SUCCESS, a UPnP error code,
  // or UPNPCOMMAND_HTTP_ERROR / UPNPCOMMAND_INVALID_RESPONSE. With `wanted`, *value gets that
  // element of the reply.
  int command(const char* action, const std::vector<std::pair<const char*, std::string>>& args,
              const char* wanted = nullptr, std::string* value = nullptr);
  const korvel::net::ExchangeLimit& limit() const;

  Options options_;
  std::unique_ptr<Device> device_;
  bool searched_ = false;
};
