#include "storage/TcpClient.h"

#include <cerrno>
#include <cstring>

#include "core/Log.h"

namespace PM {

namespace {

NetResult Report(const char* operation, int error, NetResult otherwise) {
  NetResult result = error == -ETIMEDOUT ? ENetTimeOut : otherwise;
  LogError("TcpClient::", operation, ": ", error == -ETIMEDOUT ? "timed out" : std::strerror(-error), " (",
           NetResultName(result), ").");
  return result;
}

}  // namespace

NetResult TcpClient::Connect(const char* host, uint16_t port, int timeoutMs) {
  if (!host || !*host) {
    LogError("TcpClient::Connect: no host (", NetResultName(ENetBadAddress), ").");
    return ENetBadAddress;
  }
  Socket s;
  int r = Socket::Connect(host, port, timeoutMs, s);
  std::lock_guard<std::mutex> lock(m_endLock);
  m_socket = std::move(s);
  return r < 0 ? Report("Connect", r, ENetConnectFailed) : kNetOk;
}

NetResult TcpClient::Send(const void* bytes, int64_t n) {
  if (!IsConnected()) return Report("Send", -ENOTCONN, ENetNotConnected);
  if (n <= 0) return kNetOk;
  if (!bytes) return Report("Send", -EFAULT, ENetSendFailed);
  int64_t r = m_socket.Send(bytes, n, m_timeoutMs);
  return r < 0 ? Report("Send", int(r), ENetSendFailed) : kNetOk;
}

NetResult TcpClient::Receive(void* buffer, int64_t n, int64_t* received) {
  if (received) *received = 0;
  if (!IsConnected()) return Report("Receive", -ENOTCONN, ENetNotConnected);
  if (n <= 0) return kNetOk;
  if (!buffer) return Report("Receive", -EFAULT, ENetReceiveFailed);
  int64_t r = m_socket.Receive(buffer, n, m_timeoutMs);
  if (r < 0) return Report("Receive", int(r), ENetReceiveFailed);
  if (r == 0) return ENetClosed;  // the peer's ordinary end, not an error worth a log line
  if (received) *received = r;
  return kNetOk;
}

NetResult TcpClient::ReceiveAll(void* buffer, int64_t n) {
  int64_t done = 0;
  // Every pass takes at least one byte or returns, so this ends within n passes.
  while (done < n) {
    int64_t k = 0;
    NetResult r = Receive(static_cast<char*>(buffer) + done, n - done, &k);
    if (r == ENetClosed) {
      LogError("TcpClient::ReceiveAll: closed after ", done, " of ", n, " bytes (", NetResultName(r), ").");
      return r;
    }
    if (r != kNetOk) return r;
    done += k;
  }
  return kNetOk;
}

}  // namespace PM
