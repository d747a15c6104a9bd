#include "storage/TcpServer.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <thread>

#include "core/Log.h"

namespace PM {

namespace {

// Waits of the accept loop: the wake ends them at once, so these only bound a missed signal.
constexpr int kAcceptWaitMs = 1000;
constexpr auto kPauseAfterAcceptError = std::chrono::milliseconds(50);

}  // namespace

NetResult TcpServer::Start(Handler handler, const Options& options) {
  if (m_running) {
    LogError("TcpServer::Start: already running on port ", uint32_t(m_port), " (", NetResultName(ENetBusy), ").");
    return ENetBusy;
  }
  if (!handler || !m_wake.IsOpen()) {
    LogError("TcpServer::Start: ", handler ? "no wake descriptor" : "no connection handler", " (",
             NetResultName(ENetBadRequest), ").");
    return ENetBadRequest;
  }
  const char* host = options.host ? options.host : "127.0.0.1";
  int r = Socket::Listen(host, options.port, options.backlog, m_listener);
  if (r < 0) {
    NetResult result = r == -EADDRINUSE || r == -EACCES ? ENetBusy : ENetBadAddress;
    LogError("TcpServer::Start: cannot listen on ", host, ":", uint32_t(options.port), ": ", std::strerror(-r), " (",
             NetResultName(result), ").");
    return result;
  }
  m_handler = std::move(handler);
  m_connectionTimeoutMs = options.connectionTimeoutMs;
  m_port = m_listener.LocalPort();
  m_stopping = false;
  m_wake.Reset();
  // Created suspended so that nothing of the thread runs before the server is wholly set up.
  if (!m_thread.Start(&TcpServer::AcceptThread, this, true)) {
    LogError("TcpServer::Start: cannot create the accept thread (", NetResultName(ENetBusy), ").");
    m_listener.Close();
    m_handler = nullptr;
    m_port = 0;
    return ENetBusy;
  }
  m_running = true;
  m_thread.Resume();
  return kNetOk;
}

void TcpServer::Stop() {
  if (!m_running) return;
  m_stopping = true;
  {
    std::lock_guard<std::mutex> lock(m_currentLock);
    if (m_current) m_current->Shutdown();
  }
  m_wake.Signal();
  m_thread.Join();
  m_listener.Close();
  m_wake.Reset();
  m_handler = nullptr;
  m_port = 0;
  m_running = false;
}

uint32_t TcpServer::AcceptThread(void* self) {
  static_cast<TcpServer*>(self)->AcceptLoop();
  return 0;
}

void TcpServer::AcceptLoop() {
  // Runs until Stop; every wait inside is bounded and the wake ends it early.
  while (!m_stopping) {
    Socket s;
    int r = m_listener.Accept(s, kAcceptWaitMs, m_wake.Fd());
    if (r == -EINTR || r == -ETIMEDOUT) continue;
    if (r < 0) {
      LogError("TcpServer: accept failed: ", std::strerror(-r), ".");
      std::this_thread::sleep_for(kPauseAfterAcceptError);  // e.g. out of descriptors: do not spin
      continue;
    }
    ++m_connections;
    TcpClient connection(std::move(s));
    connection.SetTimeout(m_connectionTimeoutMs);
    {
      std::lock_guard<std::mutex> lock(m_currentLock);
      if (m_stopping) break;
      m_current = &connection;
    }
    try {
      m_handler(connection);
    } catch (const std::exception& e) {
      LogError("TcpServer: the connection handler failed: ", e.what(), ".");
    } catch (...) {
      LogError("TcpServer: the connection handler failed.");
    }
    std::lock_guard<std::mutex> lock(m_currentLock);
    m_current = nullptr;
  }
}

}  // namespace PM
