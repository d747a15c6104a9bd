// TcpServer: listens on a port (6969 unless told otherwise) and hands each connection, one at a time,
// to a handler on its single accept thread. The thread is created suspended and resumed once the
// server is ready; Stop ends the connection in hand, wakes the thread and joins it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/Socket.h"
#include "platform/Thread.h"
#include "storage/NetResult.h"
#include "storage/TcpClient.h"

namespace PM {

class TcpServer {
 public:
  static constexpr uint16_t kDefaultPort = 6969;
  // The handler owns nothing: the connection is closed when it returns.
  using Handler = std::function<void(TcpClient& connection)>;

  struct Options {
    uint16_t port = kDefaultPort;    // 0 takes an ephemeral port
    const char* host = "127.0.0.1";  // the numeric address to listen on; "0.0.0.0" opens the server to the network
    int connectionTimeoutMs = TcpClient::kDefaultTimeoutMs;  // each send and receive wait of a connection
    int backlog = 16;
  };

  TcpServer() = default;
  ~TcpServer() { Stop(); }
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  NetResult Start(Handler handler, const Options& options);
  NetResult Start(Handler handler) { return Start(std::move(handler), Options()); }
  // Ends the connection in hand (its handler sees the close), stops accepting and joins the thread.
  void Stop();

  bool IsRunning() const { return m_running; }
  uint16_t Port() const { return m_port; }  // the port listened on, 0 when stopped
  int64_t ConnectionCount() const { return m_connections.load(); }

 private:
  static uint32_t AcceptThread(void* self);
  void AcceptLoop();

  Handler m_handler;
  Socket m_listener;
  SocketWake m_wake;
  Thread m_thread;
  std::atomic<bool> m_stopping{false};
  bool m_running = false;
  uint16_t m_port = 0;
  int m_connectionTimeoutMs = TcpClient::kDefaultTimeoutMs;
  std::atomic<int64_t> m_connections{0};
  std::mutex m_currentLock;
  TcpClient* m_current = nullptr;  // the connection in the handler's hands
};

}  // namespace PM
