// TcpClient: one TCP connection, made by Connect or handed over by a TcpServer, whose connect, send
// and receive waits all have timeouts. Failures are logged and answered with named result codes.
#pragma once

#include <cstdint>
#include <mutex>

#include "platform/Socket.h"
#include "storage/NetResult.h"

namespace PM {

class TcpClient {
 public:
  static constexpr int kDefaultTimeoutMs = 10000;

  TcpClient() = default;
  explicit TcpClient(Socket&& connected) : m_socket(std::move(connected)) {}
  // Stays where it was made: a server may end a connection it handed out while its handler runs.
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;

  NetResult Connect(const char* host, uint16_t port, int timeoutMs = kDefaultTimeoutMs);
  // Sends all n bytes, or fails.
  NetResult Send(const void* bytes, int64_t n);
  // Waits for bytes and takes up to n of them: the count (stored in *received), 0 with ENetClosed when
  // the peer has closed, ENetTimeOut when nothing came within the timeout.
  NetResult Receive(void* buffer, int64_t n, int64_t* received);
  // Takes exactly n bytes, or fails (closed early, timed out).
  NetResult ReceiveAll(void* buffer, int64_t n);
  void Close() {
    std::lock_guard<std::mutex> lock(m_endLock);
    m_socket.Close();
  }

  bool IsConnected() const { return m_socket.IsOpen(); }
  void SetTimeout(int ms) { m_timeoutMs = ms < 0 ? 0 : ms; }  // each send and receive wait
  int Timeout() const { return m_timeoutMs; }
  // Ends the connection for both sides, waking a Receive in another thread (used by TcpServer::Stop).
  void Shutdown() {
    std::lock_guard<std::mutex> lock(m_endLock);
    m_socket.Shutdown();
  }

 private:
  Socket m_socket;
  std::mutex m_endLock;  // Close and Shutdown from two threads never meet a reused descriptor
  int m_timeoutMs = kDefaultTimeoutMs;
};

}  // namespace PM
