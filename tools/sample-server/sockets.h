// What differs between POSIX sockets and Winsock, in one place, for the
// servers and their tests: the system headers, making, closing and polling
// sockets (poll() or WSAPoll()), the last error, and sending without SIGPIPE.
// Everything else of the socket interface (bind, listen, connect, send, recv,
// getsockname, setsockopt, getaddrinfo) is called as it stands on both.
//
// One implementation per platform: sockets_posix.cpp, sockets_winsock.cpp.
// On Windows every function here that makes a socket first starts Winsock
// (WSAStartup), once per process.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#endif

#include <cstddef>
#include <string>
#include <type_traits>

#include "sample-server/http_serve.h"

namespace mw_http {

#ifdef _WIN32
static_assert(std::is_same_v<Socket, SOCKET>);
using PollFd = WSAPOLLFD;
// Winsock has no event of its own for a peer that closes its side: such a
// connection polls readable or hung up, which every wait here watches anyway.
inline constexpr short kPollPeerClosed = 0;
inline constexpr int kShutdownSend = SD_SEND;
#else
using PollFd = pollfd;
inline constexpr short kPollPeerClosed = POLLRDHUP;
inline constexpr int kShutdownSend = SHUT_WR;
#endif

// Starts the socket library for this process: WSAStartup on Windows, the
// first time only; nothing on POSIX systems. For code that calls the socket
// interface before any function here has made a socket.
void StartSockets();

// A TCP socket of `family` (AF_INET, AF_INET6) that no child process
// inherits, non-blocking when asked; kNoSocket when none can be had.
Socket StreamSocket(int family, bool non_blocking);

// The address option a listening socket takes before bind. POSIX:
// SO_REUSEADDR, so that a restarted server gets its port at once while the
// last run's connections linger. Windows: SO_EXCLUSIVEADDRUSE, since there
// SO_REUSEADDR would let a second server take a port already in use.
void SetListenerAddressOption(Socket fd);

// A listening socket handed over by another process, made non-blocking and
// kept from child processes, as ListenTcp's own are.
void AdoptListener(Socket fd);

void CloseSocket(Socket fd);

// poll() over sockets: how many are ready, 0 when the time ran out, -1 when
// the call failed (LastSocketError says why; kInterrupted: try again).
int PollSockets(PollFd* fds, std::size_t count, int timeout_ms);

// send() that never raises SIGPIPE: the bytes taken, or -1.
std::ptrdiff_t SendSome(Socket fd, const char* bytes, std::size_t size);
// recv() without waiting: the bytes read, 0 when the peer has closed its
// side, -1 when nothing has come yet or the connection failed
// (LastSocketError tells which).
std::ptrdiff_t ReceiveSome(Socket fd, char* buffer, std::size_t size);

// What the last failed socket call of this thread ran into.
enum class SocketError {
  kInterrupted,   // a signal came in: try again
  kWouldBlock,    // nothing to take, or no room to give: wait
  kOutOfSockets,  // the process or the system has no socket to spare
  kOther,         // the connection or the call is broken
};
SocketError LastSocketError();
// The system's words for that error.
std::string LastSocketErrorText();

// Whether a ReceiveSome that gave -1 only found nothing there yet (or was
// interrupted), so that the connection is still good.
inline bool NothingYet() {
  const SocketError error = LastSocketError();
  return error == SocketError::kWouldBlock || error == SocketError::kInterrupted;
}

}  // namespace mw_http
