// The Avahi worker's thread: started with its worker, stopped within a bound.
#include "net/avahi_thread.h"

#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <memory>

namespace {
// Threads left behind in a call that has not returned yet.
std::atomic<int> stuck{0};
}  // namespace

AvahiThread::AvahiThread(const QString& name, QObject* worker)
    : thread_(new QThread), worker_(worker) {
  thread_->setObjectName(name);
  worker_->moveToThread(thread_);
  // Deleted on its own thread as the thread ends, so what it made with Avahi is freed there.
  QObject::connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
  thread_->start();
}

void AvahiThread::post(std::function<void()> work) {
  QMetaObject::invokeMethod(worker_, std::move(work), Qt::QueuedConnection);
}

AvahiThread::~AvahiThread() {
  // The loop ends after the work in hand; the worker goes with the thread.
  thread_->quit();
  const int waitMs = stuck > 0 ? kStopWaitStuckMs : kStopWaitMs;
  if (thread_->wait(QDeadlineTimer(waitMs))) {
    delete thread_;
    return;
  }
  // Stuck in a call to the bus: deleting the QThread now would abort the program. The thread ends
  // by itself once the call returns; its QThread is freed then if the event loop still runs.
  std::fprintf(stderr, "Avahi (%s) did not answer within %d ms; not waiting for it\n",
               qPrintable(thread_->objectName()), waitMs);
  ++stuck;
  // Counted off on the thread itself as it ends (the GUI thread's loop may be gone by then), or
  // here if it ended meanwhile; once either way.
  auto counted = std::make_shared<std::atomic<bool>>(false);
  const auto ended = [counted] {
    if (!counted->exchange(true)) --stuck;
  };
  QObject::connect(thread_, &QThread::finished, thread_, ended, Qt::DirectConnection);
  QObject::connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
  if (thread_->isFinished()) ended();
}
