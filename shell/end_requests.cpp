#include "shell/end_requests.h"

#include <fcntl.h>
#include <unistd.h>

#include "app/program_log.h"

EndRequests::EndRequests() {
  if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    unsigned char sig = 0;
    while (::read(fds_[0], &sig, 1) == 1) emit requested(sig);
  });
  korvel::app::programLog().passEndRequestsTo(fds_[1]);
}

EndRequests::~EndRequests() {
  korvel::app::programLog().passEndRequestsTo(-1);
  notifier_.reset();
  for (int fd : fds_) {
    if (fd >= 0) ::close(fd);
  }
}
