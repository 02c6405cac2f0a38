#include "net/upnp_router.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>

#include <algorithm>
#include <cstring>

using korvel::net::RouterAnswer;

struct UpnpRouter::Device {
  UPNPUrls urls{};
  IGDdatas data{};
  char lanAddress[64] = {};
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

}  // namespace

UpnpRouter::UpnpRouter(Options options) : options_(std::move(options)) {}
UpnpRouter::~UpnpRouter() = default;

bool UpnpRouter::find() {
  if (searched_) return device_ != nullptr;
  searched_ = true;
  auto device = std::make_unique<Device>();
  if (!options_.rootDescriptionUrl.empty()) {
    if (UPNP_GetIGDFromUrl(options_.rootDescriptionUrl.c_str(), &device->urls, &device->data,
                           device->lanAddress, sizeof device->lanAddress) != 1) {
      return false;
    }
  } else {
    int error = 0;
    // One search, for gateway devices only: a search for every kind would wait its delay once
    // per kind when nothing answers. Newer gateways answer this search too.
    UPNPDev* devices = upnpDiscoverDevice("urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                                          options_.searchMilliseconds, nullptr, nullptr,
                                          UPNP_LOCAL_PORT_ANY, 0, 2, &error);
    if (!devices) return false;
#if MINIUPNPC_API_VERSION >= 18
    char wanAddress[64] = {};
    const int found = UPNP_GetValidIGD(devices, &device->urls, &device->data, device->lanAddress,
                                       sizeof device->lanAddress, wanAddress, sizeof wanAddress);
#else
    const int found = UPNP_GetValidIGD(devices, &device->urls, &device->data, device->lanAddress,
                                       sizeof device->lanAddress);
#endif
    freeUPNPDevlist(devices);
    // 1: a connected gateway; 2: a gateway that says its outside link is down (it answers, and
    // its outside address tells the rest). Anything else is not a gateway.
    if (found != 1 && found != 2) return false;
  }
  device_ = std::move(device);
  return true;
}

RouterAnswer UpnpRouter::outsideAddress() {
  if (!find()) return RouterAnswer::noAnswer("no gateway device");
  char address[40] = {};
  const int r =
      UPNP_GetExternalIPAddress(device_->urls.controlURL, device_->data.first.servicetype, address);
  if (r != UPNPCOMMAND_SUCCESS) return refusal(r);
  RouterAnswer a;
  a.status = RouterAnswer::Status::Ok;
  address[sizeof address - 1] = '\0';
  a.address = std::strcmp(address, "0.0.0.0") == 0 ? "" : address;
  return a;
}

RouterAnswer UpnpRouter::add(int insidePort, int outsidePort, int leaseSeconds) {
  if (!find()) return RouterAnswer::noAnswer("no gateway device");
  const std::string outside = std::to_string(outsidePort), inside = std::to_string(insidePort),
                    lease = std::to_string(std::max(leaseSeconds, 0));
  const int r = UPNP_AddPortMapping(device_->urls.controlURL, device_->data.first.servicetype,
                                    outside.c_str(), inside.c_str(), device_->lanAddress, "Korvel",
                                    "TCP", nullptr, lease.c_str());
  if (r != UPNPCOMMAND_SUCCESS) return refusal(r);
  RouterAnswer a;
  a.status = RouterAnswer::Status::Ok;
  a.port = outsidePort;
  a.leaseSeconds = std::max(leaseSeconds, 0);
  return a;
}

RouterAnswer UpnpRouter::remove(int, int outsidePort) {
  if (!find()) return RouterAnswer::noAnswer("no gateway device");
  const std::string outside = std::to_string(outsidePort);
  const int r = UPNP_DeletePortMapping(device_->urls.controlURL, device_->data.first.servicetype,
                                       outside.c_str(), "TCP", nullptr);
  if (r != UPNPCOMMAND_SUCCESS) return refusal(r);
  RouterAnswer a;
  a.status = RouterAnswer::Status::Ok;
  return a;
}
