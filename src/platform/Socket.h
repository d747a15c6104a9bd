// Socket: a TCP socket over BSD sockets, owning its descriptor, where every wait has a timeout.
// SocketWake: a descriptor another thread can signal to end a wait early (stopping an accept loop).
// Operations answer counts, or a negative errno (-ETIMEDOUT when a wait runs out).
#pragma once

#include <cstdint>

namespace PM {

class Socket {
 public:
  Socket() = default;
  explicit Socket(int fd) : m_fd(fd) {}
  ~Socket() { Close(); }
  Socket(Socket&& o) noexcept : m_fd(o.m_fd) { o.m_fd = -1; }
  Socket& operator=(Socket&& o) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // A connection to host:port (a numeric address or a name the resolver knows), given up after timeoutMs.
  static int Connect(const char* host, uint16_t port, int timeoutMs, Socket& out);
  // A listening socket on a numeric address and port; port 0 takes an ephemeral port (see LocalPort).
  static int Listen(const char* host, uint16_t port, int backlog, Socket& out);
  // The next connection; -EINTR when `wakeFd` (>= 0) was signalled first.
  int Accept(Socket& out, int timeoutMs, int wakeFd = -1);

  // Sends all n bytes, each wait bounded by timeoutMs: n, or a negative errno.
  int64_t Send(const void* bytes, int64_t n, int timeoutMs);
  // Receives up to n bytes once they arrive: the count, 0 when the peer has closed, or a negative errno.
  int64_t Receive(void* buffer, int64_t n, int timeoutMs);

  uint16_t LocalPort() const;
  bool IsOpen() const { return m_fd >= 0; }
  // Ends both directions at once, so a thread blocked in Receive on this socket sees the end.
  void Shutdown();
  void Close();

 private:
  int m_fd = -1;
};

class SocketWake {
 public:
  SocketWake();
  ~SocketWake();
  SocketWake(const SocketWake&) = delete;
  SocketWake& operator=(const SocketWake&) = delete;

  int Fd() const { return m_fd; }
  bool IsOpen() const { return m_fd >= 0; }
  void Signal();
  void Reset();

 private:
  int m_fd = -1;
};

}  // namespace PM
