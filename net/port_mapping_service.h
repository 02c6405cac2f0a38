#pragma once
// The host's port mapping from Qt: asks the router off the GUI thread (on a thread of its own,
// since every router request may wait), tells the outcome as sentences for the chat, renews the
// mapping halfway through its lease, and removes it when destroyed (the program ending or no
// longer hosting). Destroying it stops the request under way and waits at most kEndWait, the
// removal included; a worker still busy then is left to end on its own.

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "net/port_mapping.h"

class PortMappingService : public QObject {
  Q_OBJECT
 public:
  using ProtocolList = std::vector<std::unique_ptr<korvel::net::MappingProtocol>>;
  // Makes the protocols; each keeps to the limit it is given.
  using Protocols =
      std::function<ProtocolList(std::shared_ptr<const korvel::net::ExchangeLimit> limit)>;
  // NAT-PMP first, then UPnP IGD, both asking this computer's default gateway.
  static ProtocolList routerProtocols(std::shared_ptr<const korvel::net::ExchangeLimit> limit);

  // The longest the destructor waits for the worker.
  static constexpr std::chrono::milliseconds kEndWait{2000};

  // protocols is called on the worker thread when open() is first called.
  explicit PortMappingService(Protocols protocols = routerProtocols, QObject* parent = nullptr);
  // Removes the mapping, waiting for the router no longer than kEndWait.
  ~PortMappingService() override;

  // Asks for insidePort to be forwarded; the answer comes as told() (and invitationChanged()).
  void open(int insidePort);
  // The renewal timer's handler: asks the router again for the mapping.
  void renewTick();
  // Runs renewTick when a renewal is due; inactive while nothing is to be renewed.
  QTimer renewTimer;

 signals:
  // A sentence for the chat (without the chat's prefix).
  void told(const QString& line);
  // The invitation link for players outside the network; empty when there is none any more.
  void invitationChanged(const QString& link);

 private:
  struct Report {
    korvel::net::MappingOutcome outcome;
    std::optional<std::chrono::seconds> renewAfter;
    bool renewal = false;
  };
  // The worker's state, shared with its thread so that it outlives this object when the worker
  // is left running.
  struct Worker;
  // Hands a job to the worker thread, starting it first.
  void run(std::function<Report(korvel::net::PortMapping&)> job);
  // Back on this object's thread.
  void reported(const Report& report);

  std::shared_ptr<Worker> worker_;
  std::thread thread_;
  bool renewalFailing_ = false;
};
