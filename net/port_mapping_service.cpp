#include "net/port_mapping_service.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "net/nat_pmp_router.h"
#include "net/upnp_router.h"

using korvel::net::ExchangeLimit;
using korvel::net::MappingOutcome;
using korvel::net::PortMapping;

struct PortMappingService::Worker {
  Protocols protocols;
  std::shared_ptr<ExchangeLimit> limit = std::make_shared<ExchangeLimit>();
  std::unique_ptr<PortMapping> mapping;  // touched only on the worker thread

  std::mutex mutex;  // guards what follows
  std::condition_variable changed;
  std::deque<std::function<void()>> jobs;
  bool ending = false;    // no more jobs will come: the thread ends when the queue is empty
  bool finished = false;  // the thread has done its last job
  PortMappingService* receiver = nullptr;  // null once the service is gone

  // The thread's loop: the jobs in turn, until ending.
  void serve() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return !jobs.empty() || ending; });
        if (jobs.empty()) break;
        job = std::move(jobs.front());
        jobs.pop_front();
      }
      job();
    }
    std::lock_guard lock(mutex);
    finished = true;
    changed.notify_all();
  }

  // Sends the report to the service, when it is still there.
  void post(const Report& report) {
    std::lock_guard lock(mutex);
    if (!receiver) return;
    QMetaObject::invokeMethod(
        receiver, [to = receiver, report] { to->reported(report); }, Qt::QueuedConnection);
  }
};

PortMappingService::ProtocolList PortMappingService::routerProtocols(
    std::shared_ptr<const ExchangeLimit> limit) {
  ProtocolList protocols;
  NatPmpRouter::Options nat;
  nat.limit = limit;
  protocols.push_back(std::make_unique<NatPmpRouter>(nat));
  UpnpRouter::Options upnp;
  upnp.limit = limit;
  protocols.push_back(std::make_unique<UpnpRouter>(upnp));
  return protocols;
}

PortMappingService::PortMappingService(Protocols protocols, QObject* parent)
    : QObject(parent), worker_(std::make_shared<Worker>()) {
  worker_->protocols = std::move(protocols);
  worker_->receiver = this;
  renewTimer.setSingleShot(true);
  connect(&renewTimer, &QTimer::timeout, this, &PortMappingService::renewTick);
}

PortMappingService::~PortMappingService() {
  renewTimer.stop();
  if (!thread_.joinable()) return;
  const auto until = ExchangeLimit::Clock::now() + kEndWait;
  {
    std::lock_guard lock(worker_->mutex);
    worker_->receiver = nullptr;
    // The request under way gives up at once; what was still to come is not asked. Then the
    // mapping is removed, within what is left of the wait.
    worker_->limit->stop();
    worker_->jobs.clear();
    worker_->jobs.push_back([w = worker_.get(), until] {
      w->limit->resumeUntil(until - std::chrono::milliseconds(100));
      if (w->mapping) w->mapping->close();
      w->mapping.reset();
    });
    worker_->ending = true;
  }
  worker_->changed.notify_all();
  bool finished = false;
  {
    std::unique_lock lock(worker_->mutex);
    finished = worker_->changed.wait_until(lock, until, [this] { return worker_->finished; });
  }
  // A worker that is still busy holds its own share of the state and ends by itself.
  if (finished) {
    thread_.join();
  } else {
    thread_.detach();
  }
}

void PortMappingService::run(std::function<Report(PortMapping&)> job) {
  if (!thread_.joinable()) thread_ = std::thread([w = worker_] { w->serve(); });
  {
    std::lock_guard lock(worker_->mutex);
    worker_->jobs.push_back([w = worker_.get(), job = std::move(job)] {
      if (!w->mapping) w->mapping = std::make_unique<PortMapping>(w->protocols(w->limit));
      Report report = job(*w->mapping);
      report.renewAfter = w->mapping->renewAfter();
      w->post(report);
    });
  }
  worker_->changed.notify_all();
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
