// The TCP server's accept thread: started and stopped 100 times without leaking threads or
// descriptors, clients on several threads served one after another without races, and a stop
// from the owner's thread while a connection is in hand.
#include <gtest/gtest.h>

#include <dirent.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "storage/TcpClient.h"
#include "storage/TcpServer.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using Clock = std::chrono::steady_clock;

int CountEntries(const char* folder) {
  DIR* d = opendir(folder);
  if (!d) return -1;
  int n = 0;
  while (readdir(d)) ++n;
  closedir(d);
  return n;
}

// Sends back what it receives; returns how the connection ended.
NetResult EchoUntilEnd(TcpClient& c) {
  char buf[1024];
  for (int64_t n = 0;;) {
    NetResult r = c.Receive(buf, sizeof buf, &n);
    if (r == kNetOk) r = c.Send(buf, n);
    if (r != kNetOk) return r;
  }
}

void Echo(TcpClient& c) { EchoUntilEnd(c); }

TcpServer::Options Loopback() {
  TcpServer::Options o;
  o.port = 0;
  o.connectionTimeoutMs = 2000;
  return o;
}

class TcpThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("PM_LOG_DIR", m_logs.Path().c_str(), 1); }
  PM::Test::TempDir m_logs;
};

TEST_F(TcpThreadsTest, StartAndStopAHundredTimesLeavesNoThreadOrDescriptor) {
  TcpServer server;  // one server restarted, and a fresh one each round
  // A first round lets the runtime start its own helper threads (the thread sanitizer has one).
  ASSERT_EQ(server.Start(Echo, Loopback()), kNetOk);
  server.Stop();
  int threads = CountEntries("/proc/self/task");
  int fds = CountEntries("/proc/self/fd");
  for (int i = 0; i < 100; ++i) {
    TcpServer fresh;
    TcpServer& s = i % 2 ? server : fresh;
    ASSERT_EQ(s.Start(Echo, Loopback()), kNetOk) << "round " << i;
    if (i % 10 == 0) {
      TcpClient c;
      ASSERT_EQ(c.Connect("127.0.0.1", s.Port(), 2000), kNetOk);
      char b = char(i);
      ASSERT_EQ(c.Send(&b, 1), kNetOk);
      ASSERT_EQ(c.ReceiveAll(&b, 1), kNetOk);
      EXPECT_EQ(b, char(i));
    }
    s.Stop();
  }
  EXPECT_EQ(CountEntries("/proc/self/task"), threads);
  EXPECT_EQ(CountEntries("/proc/self/fd"), fds);
}

TEST_F(TcpThreadsTest, ClientsOnSeveralThreadsAreServedInTurn) {
  TcpServer server;
  ASSERT_EQ(server.Start(Echo, Loopback()), kNetOk);
  std::atomic<int> good{0};
  std::vector<std::thread> clients;
  for (int t = 0; t < 4; ++t) {
    clients.emplace_back([&, t] {
      for (int k = 0; k < 5; ++k) {
        TcpClient c;
        c.SetTimeout(10000);  // waits behind the other clients' connections
        std::string m = "client " + std::to_string(t) + " message " + std::to_string(k);
        std::string back(m.size(), '\0');
        if (c.Connect("127.0.0.1", server.Port(), 5000) == kNetOk && c.Send(m.data(), int64_t(m.size())) == kNetOk &&
            c.ReceiveAll(back.data(), int64_t(back.size())) == kNetOk && back == m)
          ++good;
      }
    });
  }
  for (std::thread& c : clients) c.join();
  EXPECT_EQ(good.load(), 20);
  EXPECT_EQ(server.ConnectionCount(), 20);
  server.Stop();
}

TEST_F(TcpThreadsTest, StopEndsTheConnectionInHand) {
  std::atomic<NetResult> ended{kNetOk};
  TcpServer server;
  TcpServer::Options o = Loopback();
  o.connectionTimeoutMs = 30000;
  ASSERT_EQ(server.Start([&](TcpClient& c) { ended = EchoUntilEnd(c); }, o), kNetOk);
  TcpClient client;
  ASSERT_EQ(client.Connect("127.0.0.1", server.Port(), 2000), kNetOk);
  ASSERT_EQ(client.Send("x", 1), kNetOk);
  char back;
  ASSERT_EQ(client.ReceiveAll(&back, 1), kNetOk);  // the handler is now waiting for more
  auto start = Clock::now();
  server.Stop();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << "Stop waited for the connection's timeout";
  EXPECT_EQ(ended.load(), ENetClosed);
}

}  // namespace
}  // namespace PM
