#include "net/port_mapping_service.h"

#include "net/nat_pmp_router.h"
#include "net/upnp_router.h"

using korvel::net::MappingOutcome;
using korvel::net::PortMapping;

std::vector<std::unique_ptr<korvel::net::MappingProtocol>> PortMappingService::routerProtocols() {
  std::vector<std::unique_ptr<korvel::net::MappingProtocol>> protocols;
  protocols.push_back(std::make_unique<NatPmpRouter>());
  protocols.push_back(std::make_unique<UpnpRouter>());
  return protocols;
}

PortMappingService::PortMappingService(Protocols protocols, QObject* parent)
    : QObject(parent), protocols_(std::move(protocols)) {
  renewTimer.setSingleShot(true);
  connect(&renewTimer, &QTimer::timeout, this, &PortMappingService::renewTick);
}

PortMappingService::~PortMappingService() {
  renewTimer.stop();
  if (!worker_.isRunning()) return;
  // Waits for a request under way, then removes the mapping.
  QMetaObject::invokeMethod(
      context_,
      [this] {
        if (mapping_) mapping_->close();
        mapping_.reset();
      },
      Qt::BlockingQueuedConnection);
  worker_.quit();
  worker_.wait();
  delete context_;
}

void PortMappingService::run(std::function<Report(PortMapping&)> job) {
  if (!worker_.isRunning()) {
    context_ = new QObject;
    context_->moveToThread(&worker_);
    worker_.setObjectName("port mapping");
    worker_.start();
  }
  QMetaObject::invokeMethod(context_, [this, job = std::move(job)] {
    if (!mapping_) mapping_ = std::make_unique<PortMapping>(protocols_());
    Report report = job(*mapping_);
    report.renewAfter = mapping_->renewAfter();
    QMetaObject::invokeMethod(this, [this, report] { reported(report); });
  });
}

void PortMappingService::open(int insidePort) {
  run([insidePort](PortMapping& mapping) { return Report{mapping.open(insidePort), {}, false}; });
}

void PortMappingService::renewTick() {
  run([](PortMapping& mapping) { return Report{mapping.renew(), {}, true}; });
}

void PortMappingService::reported(const Report& report) {
  const MappingOutcome& o = report.outcome;
  const bool mapped = o.kind == MappingOutcome::Kind::Mapped;
  if (!report.renewal) {
    emit told(QString::fromStdString(korvel::net::mappingText(o)));
    if (const auto link = korvel::net::outsideInvitationLink(o))
      emit invitationChanged(QString::fromStdString(*link));
  } else if (!mapped && !renewalFailing_) {
    // Told once, not at every retry; the link stays, since the router may come back.
    emit told(QString::fromStdString(korvel::net::renewalFailureText(o)));
  } else if (mapped && renewalFailing_) {
    emit told(QString::fromStdString(korvel::net::mappingText(o)));
  }
  if (report.renewal) renewalFailing_ = !mapped;
  if (report.renewAfter) {
    renewTimer.start(std::chrono::duration_cast<std::chrono::milliseconds>(*report.renewAfter));
  } else {
    renewTimer.stop();
  }
}
