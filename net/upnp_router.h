#pragma once
// Asking the router by UPnP IGD (miniupnpc): an SSDP search on the local network, then SOAP
// requests over HTTP to the gateway device found. Blocking, each step bounded (the search by
// its delay, HTTP by the library's socket timeouts); run it off the GUI thread.

#include <memory>
#include <string>

#include "net/port_mapping.h"

class UpnpRouter : public korvel::net::MappingProtocol {
 public:
  struct Options {
    // The gateway's root description; when given, the search is skipped (tests point it at a
    // device on loopback).
    std::string rootDescriptionUrl;
    // How long the search waits for devices to answer.
    int searchMilliseconds = 2500;
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

 private:
  struct Device;
  // Finds the gateway once; false when none answered.
  bool find();
  Options options_;
  std::unique_ptr<Device> device_;
  bool searched_ = false;
};
