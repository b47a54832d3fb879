#pragma once
// Addresses on 127.0.0.1 where a browser gets no page: a server that takes the connection and
// never answers, and a port where nothing listens.

namespace kestrova::e2e {

// A listening socket that nobody ever accepts from: the kernel completes each connection, the
// request is sent, and no byte ever comes back.
class SilentListener {
 public:
  SilentListener();
  ~SilentListener();
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;

  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// A port on 127.0.0.1 that was free a moment ago and is closed now: connections are refused.
int ClosedPort();

}  // namespace kestrova::e2e
