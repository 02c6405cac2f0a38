#include "net/nat_pmp_router.h"

#include <arpa/inet.h>
#include <natpmp.h>
#include <poll.h>

#include <algorithm>
#include <string>

using korvel::net::RouterAnswer;

namespace {

// The router's result code for what libnatpmp made of its answer, 0 when it is not one.
int resultCode(int error, const natpmpresp_t& response) {
  switch (error) {
    case NATPMP_ERR_UNSUPPORTEDVERSION:
      return 1;
    case NATPMP_ERR_NOTAUTHORIZED:
      return 2;
    case NATPMP_ERR_NETWORKFAILURE:
      return 3;
    case NATPMP_ERR_OUTOFRESOURCES:
      return 4;
    case NATPMP_ERR_UNSUPPORTEDOPCODE:
      return 5;
    case NATPMP_ERR_UNDEFINEDERROR:
      return response.resultcode != 0 ? response.resultcode : -1;
    default:
      return 0;
  }
}

// The answer for an exchange that did not succeed (r < 0).
RouterAnswer failure(int r, const natpmpresp_t& response) {
  if (const int code = resultCode(r, response); code != 0) {
    return code > 0 ? RouterAnswer::refused(code, korvel::net::natPmpResultText(code))
                    : RouterAnswer::refused(0, "its answer could not be read");
  }
  return RouterAnswer::noAnswer(r == NATPMP_TRYAGAIN ? "no answer"
                                                     : "libnatpmp error " + std::to_string(-r));
}

}  // namespace

// One request and its answer. libnatpmp resends on its own schedule (250 ms, then doubling);
// the wait here bounds the whole exchange, and the program ending cuts it short.
struct NatPmpRouter::Session {
  natpmp_t np{};
  bool open = false;
  int error = 0;

  explicit Session(const Options& options) {
    error = initnatpmp(&np, options.gateway ? 1 : 0, options.gateway.value_or(0));
    open = error >= 0;
  }
  ~Session() {
    if (open) closenatpmp(&np);
  }

  // Sends with send(), then waits; the answer or the error code (NATPMP_ERR_*), or
  // NATPMP_TRYAGAIN when the wait ran out.
  template <typename Send>
  int exchange(Send send, natpmpresp_t& response, const Options& options) {
    static const korvel::net::ExchangeLimit kNoLimit;
    const korvel::net::ExchangeLimit& limit = options.limit ? *options.limit : kNoLimit;
    const auto deadline = limit.deadline(options.wait);
    if (!open) return error;
    if (limit.expired(deadline)) return NATPMP_TRYAGAIN;
    if (const int sent = send(&np); sent < 0) return sent;
    for (;;) {
      timeval resend{};
      getnatpmprequesttimeout(&np, &resend);
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (limit.expired(deadline) || left.count() <= 0) return NATPMP_TRYAGAIN;
      const long untilResend = resend.tv_sec * 1000L + resend.tv_usec / 1000;
      pollfd fd{np.s, POLLIN, 0};
      // In short steps, so that a stop is seen at once.
      ::poll(&fd, 1,
             static_cast<int>(std::clamp<long>(untilResend, 1, std::min(left.count(), 50L))));
      const int r = readnatpmpresponseorretry(&np, &response);
      if (r != NATPMP_TRYAGAIN) return r;
    }
  }
};

NatPmpRouter::NatPmpRouter(Options options) : options_(options) {}
NatPmpRouter::~NatPmpRouter() = default;

RouterAnswer NatPmpRouter::outsideAddress() {
  Session session(options_);
  natpmpresp_t response{};
  const int r = session.exchange([](natpmp_t* np) { return sendpublicaddressrequest(np); },
                                 response, options_);
  if (r == NATPMP_ERR_NETWORKFAILURE) {
    // The router has no outside address it could give (no lease upstream, or one it will not
    // hand out): the same as an address nobody outside can reach.
    RouterAnswer a;
    a.status = RouterAnswer::Status::Ok;
    return a;
  }
  if (r < 0) return failure(r, response);
  if (response.type != NATPMP_RESPTYPE_PUBLICADDRESS) return RouterAnswer::noAnswer("odd answer");
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &response.pnu.publicaddress.addr, text, sizeof text);
  RouterAnswer a;
  a.status = RouterAnswer::Status::Ok;
  // 0.0.0.0 is how some routers say they have none.
  a.address = std::string(text) == "0.0.0.0" ? "" : text;
  return a;
}

RouterAnswer NatPmpRouter::add(int insidePort, int outsidePort, int leaseSeconds) {
  // NAT-PMP has no permanent mappings (a lifetime of 0 removes one): the longest lease instead.
  const uint32_t lifetime = leaseSeconds > 0 ? static_cast<uint32_t>(leaseSeconds) : 0x7fffffffu;
  Session session(options_);
  natpmpresp_t response{};
  const int r = session.exchange(
      [&](natpmp_t* np) {
        return sendnewportmappingrequest(np, NATPMP_PROTOCOL_TCP, static_cast<uint16_t>(insidePort),
                                         static_cast<uint16_t>(outsidePort), lifetime);
      },
      response, options_);
  if (r < 0) return failure(r, response);
  if (response.type != NATPMP_RESPTYPE_TCPPORTMAPPING ||
      response.pnu.newportmapping.privateport != insidePort) {
    return RouterAnswer::noAnswer("odd answer");
  }
  if (response.pnu.newportmapping.lifetime == 0 ||
      response.pnu.newportmapping.mappedpublicport == 0)
    return RouterAnswer::refused(0, "it granted no mapping");
  RouterAnswer a;
  a.status = RouterAnswer::Status::Ok;
  a.port = response.pnu.newportmapping.mappedpublicport;
  // As granted: the mapping's rules hold it within bounds before it reaches a timer.
  a.leaseSeconds = response.pnu.newportmapping.lifetime;
  return a;
}

RouterAnswer NatPmpRouter::remove(int insidePort, int) {
  // A mapping is removed by asking for it with a lifetime of 0 and no outside port.
  Session session(options_);
  natpmpresp_t response{};
  const int r = session.exchange(
      [&](natpmp_t* np) {
        return sendnewportmappingrequest(np, NATPMP_PROTOCOL_TCP, static_cast<uint16_t>(insidePort),
                                         0, 0);
      },
      response, options_);
  if (r < 0) return failure(r, response);
  RouterAnswer a;
  a.status = RouterAnswer::Status::Ok;
  return a;
}
