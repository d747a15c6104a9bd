#include "platform/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace PM {

namespace {

using Clock = std::chrono::steady_clock;

// A call that would block: on Linux EWOULDBLOCK is EAGAIN, so one comparison covers both names.
static_assert(EWOULDBLOCK == EAGAIN);
bool WouldBlock(int e) { return e == EAGAIN; }

int RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : int(left);
}

Clock::time_point DeadlineAfter(int timeoutMs) {
  return Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
}

// Waits for `events` on fd (and readability of wakeFd when >= 0) until the deadline: 1 ready,
// -EINTR woken, -ETIMEDOUT, or another negative errno. Signals restart the wait with the time left.
int WaitFor(int fd, short events, Clock::time_point deadline, int wakeFd = -1) {
  pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
  for (;;) {
    int r = poll(fds, wakeFd >= 0 ? 2 : 1, RemainingMs(deadline));
    if (r > 0) {
      if (wakeFd >= 0 && (fds[1].revents & POLLIN)) return -EINTR;
      return 1;  // errors and hang-ups are reported by the call that follows
    }
    if (r == 0) return -ETIMEDOUT;
    if (errno != EINTR) return -errno;
    if (RemainingMs(deadline) == 0) return -ETIMEDOUT;
  }
}

addrinfo* Resolve(const char* host, uint16_t port, bool passive, int* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | (passive ? AI_PASSIVE | AI_NUMERICHOST : 0);
  char service[8];
  std::snprintf(service, sizeof service, "%u", unsigned(port));
  addrinfo* list = nullptr;
  int r = getaddrinfo(host && *host ? host : nullptr, service, &hints, &list);
  if (r != 0) {
    *error = r == EAI_SYSTEM ? errno : EHOSTUNREACH;
    return nullptr;
  }
  return list;
}

int OpenFor(const addrinfo* a) {
  return socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
}

}  // namespace

Socket& Socket::operator=(Socket&& o) noexcept {
  if (this != &o) {
    Close();
    m_fd = o.m_fd;
    o.m_fd = -1;
  }
  return *this;
}

int Socket::Connect(const char* host, uint16_t port, int timeoutMs, Socket& out) {
  out.Close();
  int error = 0;
  addrinfo* list = Resolve(host, port, false, &error);
  if (!list) return -error;
  Clock::time_point deadline = DeadlineAfter(timeoutMs);
  error = ECONNREFUSED;
  for (addrinfo* a = list; a && !out.IsOpen(); a = a->ai_next) {
    Socket s(OpenFor(a));
    if (!s.IsOpen()) {
      error = errno;
      continue;
    }
    if (connect(s.m_fd, a->ai_addr, a->ai_addrlen) != 0) {
      if (errno != EINPROGRESS) {
        error = errno;
        continue;
      }
      int w = WaitFor(s.m_fd, POLLOUT, deadline);
      if (w < 0) {
        error = -w;
        if (w == -ETIMEDOUT) break;
        continue;
      }
      int soError = 0;
      socklen_t len = sizeof soError;
      if (getsockopt(s.m_fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) soError = errno;
      if (soError != 0) {
        error = soError;
        continue;
      }
    }
    int one = 1;
    setsockopt(s.m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    out = std::move(s);
  }
  freeaddrinfo(list);
  return out.IsOpen() ? 0 : -error;
}

int Socket::Listen(const char* host, uint16_t port, int backlog, Socket& out) {
  out.Close();
  int error = 0;
  addrinfo* list = Resolve(host, port, true, &error);
  if (!list) return -error;
  error = EADDRNOTAVAIL;
  for (addrinfo* a = list; a && !out.IsOpen(); a = a->ai_next) {
    Socket s(OpenFor(a));
    int one = 1;
    if (!s.IsOpen() || setsockopt(s.m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0 ||
        bind(s.m_fd, a->ai_addr, a->ai_addrlen) != 0 || listen(s.m_fd, backlog) != 0) {
      error = errno;
      continue;
    }
    out = std::move(s);
  }
  freeaddrinfo(list);
  return out.IsOpen() ? 0 : -error;
}

int Socket::Accept(Socket& out, int timeoutMs, int wakeFd) {
  out.Close();
  if (!IsOpen()) return -EBADF;
  Clock::time_point deadline = DeadlineAfter(timeoutMs);
  for (;;) {
    int w = WaitFor(m_fd, POLLIN, deadline, wakeFd);
    if (w < 0) return w;
    int fd = accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
      int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      out = Socket(fd);
      return 0;
    }
    // A connection that went away between the wait and the accept: wait for the next one.
    if (!WouldBlock(errno) && errno != ECONNABORTED && errno != EINTR) return -errno;
    if (RemainingMs(deadline) == 0) return -ETIMEDOUT;
  }
}

int64_t Socket::Send(const void* bytes, int64_t n, int timeoutMs) {
  if (!IsOpen()) return -EBADF;
  const char* p = static_cast<const char*>(bytes);
  int64_t sent = 0;
  Clock::time_point deadline = DeadlineAfter(timeoutMs);
  while (sent < n) {
    ssize_t r = send(m_fd, p + sent, size_t(n - sent), MSG_NOSIGNAL);
    if (r > 0) {
      sent += r;
      deadline = DeadlineAfter(timeoutMs);  // the timeout bounds each stall, not the whole send
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && !WouldBlock(errno)) return -errno;
    int w = WaitFor(m_fd, POLLOUT, deadline);
    if (w < 0) return w;
  }
  return sent;
}

int64_t Socket::Receive(void* buffer, int64_t n, int timeoutMs) {
  if (!IsOpen()) return -EBADF;
  if (n <= 0) return 0;
  Clock::time_point deadline = DeadlineAfter(timeoutMs);
  for (;;) {
    ssize_t r = recv(m_fd, buffer, size_t(n), 0);
    if (r >= 0) return r;
    if (errno == EINTR) continue;
    if (!WouldBlock(errno)) return -errno;
    int w = WaitFor(m_fd, POLLIN, deadline);
    if (w < 0) return w;
  }
}

uint16_t Socket::LocalPort() const {
  sockaddr_storage a{};
  socklen_t len = sizeof a;
  if (!IsOpen() || getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) return 0;
  if (a.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&a)->sin_port);
  if (a.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&a)->sin6_port);
  return 0;
}

void Socket::Shutdown() {
  if (IsOpen()) shutdown(m_fd, SHUT_RDWR);
}

void Socket::Close() {
  if (IsOpen()) close(m_fd);
  m_fd = -1;
}

SocketWake::SocketWake() : m_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

SocketWake::~SocketWake() {
  if (m_fd >= 0) close(m_fd);
}

void SocketWake::Signal() {
  uint64_t one = 1;
  if (m_fd >= 0) (void)!write(m_fd, &one, sizeof one);
}

void SocketWake::Reset() {
  uint64_t value;
  if (m_fd >= 0) (void)!read(m_fd, &value, sizeof value);
}

}  // namespace PM
