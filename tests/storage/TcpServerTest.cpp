// The TCP server and client on 127.0.0.1: an echo through the server, silent and vanishing peers,
// and refused starts.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>

#include "storage/TcpClient.h"
#include "storage/TcpServer.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

using Clock = std::chrono::steady_clock;

// Sends back what it receives until the peer closes or goes quiet; keeps how it ended.
struct Echo {
  std::atomic<NetResult> ended{kNetOk};
  void operator()(TcpClient& c) {
    char buf[4096];
    for (;;) {
      int64_t n = 0;
      NetResult r = c.Receive(buf, sizeof buf, &n);
      if (r == kNetOk) r = c.Send(buf, n);
      if (r != kNetOk) {
        ended = r;
        return;
      }
    }
  }
};

TcpServer::Options Loopback(int connectionTimeoutMs = 5000) {
  TcpServer::Options o;
  o.port = 0;
  o.connectionTimeoutMs = connectionTimeoutMs;
  return o;
}

class TcpServerTest : public PM::Test::BlockCheckedTest {
 protected:
  void SetUp() override {
    setenv("PM_LOG_DIR", m_logs.Path().c_str(), 1);
    PM::Test::BlockCheckedTest::SetUp();
  }
  PM::Test::TempDir m_logs;
};

TEST_F(TcpServerTest, DefaultsListenOnLoopbackPort6969) {
  TcpServer::Options o;
  EXPECT_EQ(o.port, 6969);
  EXPECT_STREQ(o.host, "127.0.0.1");
}

TEST_F(TcpServerTest, EchoesThroughTheServer) {
  Echo echo;
  TcpServer server;
  ASSERT_EQ(server.Start(std::ref(echo), Loopback()), kNetOk);
  ASSERT_NE(server.Port(), 0);
  for (int round = 0; round < 2; ++round) {  // two connections, one after the other
    TcpClient client;
    ASSERT_EQ(client.Connect("127.0.0.1", server.Port(), 2000), kNetOk);
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + round);
    for (const std::string& message : {std::string("hello"), big}) {
      ASSERT_EQ(client.Send(message.data(), int64_t(message.size())), kNetOk);
      std::string back(message.size(), '\0');
      ASSERT_EQ(client.ReceiveAll(back.data(), int64_t(back.size())), kNetOk);
      EXPECT_EQ(back, message);
    }
  }
  EXPECT_EQ(server.ConnectionCount(), 2);
  server.Stop();
  EXPECT_FALSE(server.IsRunning());
  EXPECT_EQ(server.Port(), 0);
}

TEST_F(TcpServerTest, ASilentClientTimesOutAndAVanishedServerIsClosed) {
  Echo echo;
  TcpServer server;
  ASSERT_EQ(server.Start(std::ref(echo), Loopback(200)), kNetOk);
  TcpClient client;
  client.SetTimeout(3000);
  ASSERT_EQ(client.Connect("127.0.0.1", server.Port(), 2000), kNetOk);
  // The handler gives up on the silent client and the server closes it, which the client sees.
  auto start = Clock::now();
  char byte;
  int64_t n = -1;
  EXPECT_EQ(client.Receive(&byte, 1, &n), ENetClosed);
  EXPECT_EQ(n, 0);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(echo.ended.load(), ENetTimeOut);
  EXPECT_EQ(client.ReceiveAll(&byte, 1), ENetClosed);
}

TEST_F(TcpServerTest, RefusedStartsAndConnections) {
  Echo echo;
  TcpServer first;
  ASSERT_EQ(first.Start(std::ref(echo), Loopback()), kNetOk);
  EXPECT_EQ(first.Start(std::ref(echo), Loopback()), ENetBusy);
  TcpServer second;
  TcpServer::Options same = Loopback();
  same.port = first.Port();
  EXPECT_EQ(second.Start(std::ref(echo), same), ENetBusy);
  EXPECT_EQ(second.Start(nullptr, Loopback()), ENetBadRequest);
  TcpServer::Options named = Loopback();
  named.host = "localhost";  // a name, not an address: never looked up
  EXPECT_EQ(second.Start(std::ref(echo), named), ENetBadAddress);
  uint16_t port = first.Port();
  first.Stop();

  TcpClient client;
  EXPECT_EQ(client.Connect("127.0.0.1", port, 2000), ENetConnectFailed);
  EXPECT_EQ(client.Connect("", port), ENetBadAddress);
  EXPECT_EQ(client.Send("x", 1), ENetNotConnected);
  int64_t n;
  EXPECT_EQ(client.Receive(&n, 1, &n), ENetNotConnected);
}

}  // namespace
}  // namespace PM
