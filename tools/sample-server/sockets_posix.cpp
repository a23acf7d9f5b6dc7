// The socket calls of sockets.h, and the parts of http_serve.h that differ
// by platform, on POSIX sockets (Linux).
#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "sample-server/http_serve.h"
#include "sample-server/sockets.h"

namespace mw_http {

void StartSockets() {}

Socket StreamSocket(int family, bool non_blocking) {
  return socket(family, SOCK_STREAM | SOCK_CLOEXEC | (non_blocking ? SOCK_NONBLOCK : 0), 0);
}

void SetListenerAddressOption(Socket fd) {
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

void AdoptListener(Socket fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  fcntl(fd, F_SETFD, FD_CLOEXEC);
}

void CloseSocket(Socket fd) { close(fd); }

int PollSockets(PollFd* fds, std::size_t count, int timeout_ms) {
  return poll(fds, count, timeout_ms);
}

std::ptrdiff_t SendSome(Socket fd, const char* bytes, std::size_t size) {
  return send(fd, bytes, size, MSG_NOSIGNAL);
}

std::ptrdiff_t ReceiveSome(Socket fd, char* buffer, std::size_t size) {
  return recv(fd, buffer, size, MSG_DONTWAIT);
}

SocketError LastSocketError() {
  switch (errno) {
    case EINTR:
      return SocketError::kInterrupted;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return SocketError::kWouldBlock;
    case EMFILE:
    case ENFILE:
      return SocketError::kOutOfSockets;
    default:
      return SocketError::kOther;
  }
}

std::string LastSocketErrorText() { return std::strerror(errno); }

StopFlag::StopFlag() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

StopFlag::~StopFlag() { close(fd_); }

void StopFlag::RaiseFromSignal() {
  std::uint64_t one = 1;
  // The counter only ever grows; a full counter is raised all the same.
  ssize_t ignored = write(fd_, &one, sizeof one);
  (void)ignored;
}

Socket AcceptConnection(Socket listen_fd) {
  for (;;) {
    int fd = accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

}  // namespace mw_http
