// The socket calls of sockets.h, and the parts of http_serve.h that differ
// by platform, on Winsock (Windows, and Wine).
#include <algorithm>
#include <climits>
#include <cstdint>
#include <system_error>

#include "sample-server/http_serve.h"
#include "sample-server/sockets.h"

// After the Winsock headers, which must come before <windows.h>.
#include <windows.h>

namespace mw_http {
namespace {

void MakeNonBlocking(Socket fd) {
  u_long on = 1;
  ioctlsocket(fd, FIONBIO, &on);
}

// A socket handle is inheritable unless told otherwise; a server's sockets
// must not stay open in a program it starts.
void KeepFromChildren(Socket fd) {
  SetHandleInformation(reinterpret_cast<HANDLE>(fd), HANDLE_FLAG_INHERIT, 0);
}

int ClampedSize(std::size_t size) { return static_cast<int>(std::min<std::size_t>(size, INT_MAX)); }

}  // namespace

void StartSockets() {
  // Once per process; never cleaned up, since the process's end releases
  // Winsock, and a WSACleanup among the static destructors could come before
  // the last socket of another static is closed.
  static const int started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data);
  }();
  (void)started;
}

Socket StreamSocket(int family, bool non_blocking) {
  StartSockets();
  Socket fd = WSASocketW(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                         WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (fd != kNoSocket && non_blocking) MakeNonBlocking(fd);
  return fd;
}

void SetListenerAddressOption(Socket fd) {
  BOOL on = TRUE;
  setsockopt(fd, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
}

void AdoptListener(Socket fd) {
  MakeNonBlocking(fd);
  KeepFromChildren(fd);
}

void CloseSocket(Socket fd) { closesocket(fd); }

int PollSockets(PollFd* fds, std::size_t count, int timeout_ms) {
  return WSAPoll(fds, static_cast<ULONG>(count), timeout_ms);
}

std::ptrdiff_t SendSome(Socket fd, const char* bytes, std::size_t size) {
  // Winsock raises no signal when the peer is gone.
  return send(fd, bytes, ClampedSize(size), 0);
}

std::ptrdiff_t ReceiveSome(Socket fd, char* buffer, std::size_t size) {
  // Every socket that reaches here is non-blocking.
  return recv(fd, buffer, ClampedSize(size), 0);
}

SocketError LastSocketError() {
  switch (WSAGetLastError()) {
    case WSAEINTR:
      return SocketError::kInterrupted;
    case WSAEWOULDBLOCK:
      return SocketError::kWouldBlock;
    case WSAEMFILE:
    case WSAENOBUFS:
      return SocketError::kOutOfSockets;
    default:
      return SocketError::kOther;
  }
}

std::string LastSocketErrorText() {
  const int error = WSAGetLastError();
  char text[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           static_cast<DWORD>(error), 0, text, sizeof text, nullptr);
  std::string words(text, n);
  while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' ' ||
                            words.back() == '.')) {
    words.pop_back();
  }
  return (words.empty() ? "Winsock error" : words) + " (" + std::to_string(error) + ")";
}

// The two ends of a loopback connection of this process's own making: a
// listener on an ephemeral port of 127.0.0.1 takes one connection from
// `raise_end_`. Another program on the machine may connect to that port in
// the meantime; only the connection whose far end is `raise_end_` is kept,
// so that nobody else can raise the flag.
StopFlag::StopFlag() {
  Socket listener = StreamSocket(AF_INET, false);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  sockaddr_in own{};
  int own_length = sizeof own;
  bool ok = listener != kNoSocket &&
            bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            listen(listener, 4) == 0 &&
            getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
            (raise_end_ = StreamSocket(AF_INET, false)) != kNoSocket &&
            connect(raise_end_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            getsockname(raise_end_, reinterpret_cast<sockaddr*>(&own), &own_length) == 0;
  for (int tries = 0; ok && fd_ == kNoSocket && tries < 16; ++tries) {
    sockaddr_in peer{};
    int peer_length = sizeof peer;
    Socket accepted = accept(listener, reinterpret_cast<sockaddr*>(&peer), &peer_length);
    if (accepted == kNoSocket) {
      ok = false;
    } else if (peer.sin_port == own.sin_port && peer.sin_addr.s_addr == own.sin_addr.s_addr) {
      fd_ = accepted;
    } else {
      closesocket(accepted);
    }
  }
  const int error = WSAGetLastError();
  if (listener != kNoSocket) closesocket(listener);
  if (fd_ == kNoSocket) {
    if (raise_end_ != kNoSocket) closesocket(raise_end_);
    throw std::system_error(ok ? WSAEADDRINUSE : error, std::system_category(),
                            "stop flag: no loopback connection");
  }
  KeepFromChildren(fd_);
  // Raising never waits, however often it is done.
  MakeNonBlocking(raise_end_);
  MakeNonBlocking(fd_);
}

StopFlag::~StopFlag() {
  closesocket(fd_);
  closesocket(raise_end_);
}

// Called from a console control handler, which runs on a thread of its own:
// Winsock may be used there.
void StopFlag::RaiseFromSignal() {
  const char one = 1;
  send(raise_end_, &one, 1, 0);
}

Socket AcceptConnection(Socket listen_fd) {
  Socket fd = accept(listen_fd, nullptr, nullptr);
  if (fd != kNoSocket) {
    MakeNonBlocking(fd);
    KeepFromChildren(fd);
  }
  return fd;
}

}  // namespace mw_http
