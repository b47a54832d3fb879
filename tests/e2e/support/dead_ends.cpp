#include "support/dead_ends.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace kestrova::e2e {
namespace {

// A socket bound to an ephemeral port of 127.0.0.1; returns its descriptor and port.
int BindLoopback(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    throw std::runtime_error("cannot bind a socket to 127.0.0.1");
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

SilentListener::SilentListener() {
  fd_ = BindLoopback(port_);
  if (::listen(fd_, 64) != 0) {
    ::close(fd_);
    throw std::runtime_error("listen");
  }
}

SilentListener::~SilentListener() { ::close(fd_); }

int ClosedPort() {
  int port = 0;
  // Bound but never listening: nothing accepts there, and closing it frees the port again.
  ::close(BindLoopback(port));
  return port;
}

}  // namespace kestrova::e2e
