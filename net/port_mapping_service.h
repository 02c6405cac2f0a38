#pragma once
// The host's port mapping from Qt: asks the router off the GUI thread (on a thread of its own,
// since every router request may wait), tells the outcome as sentences for the chat, renews the
// mapping halfway through its lease, and removes it when destroyed (the program ending or no
// longer hosting).

#include <QObject>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "net/port_mapping.h"

class PortMappingService : public QObject {
  Q_OBJECT
 public:
  using Protocols = std::function<std::vector<std::unique_ptr<korvel::net::MappingProtocol>>()>;
  // NAT-PMP first, then UPnP IGD, both found on the local network.
  static std::vector<std::unique_ptr<korvel::net::MappingProtocol>> routerProtocols();

  // protocols is called on the worker thread when open() is first called.
  explicit PortMappingService(Protocols protocols = routerProtocols, QObject* parent = nullptr);
  // Removes the mapping, waiting for the router within the protocols' bounds.
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
  // On the worker thread.
  void run(std::function<Report(korvel::net::PortMapping&)> job);
  // Back on this object's thread.
  void reported(const Report& report);

  Protocols protocols_;
  QThread worker_;
  QObject* context_ = nullptr;                         // lives on worker_; jobs run in its thread
  std::unique_ptr<korvel::net::PortMapping> mapping_;  // touched only on worker_
  bool renewalFailing_ = false;
};
