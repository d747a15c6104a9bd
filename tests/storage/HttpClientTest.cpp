// The HTTP client against the Python peer on 127.0.0.1: whole files, HEAD, ranges, chunked bodies,
// error statuses, time-outs and broken responses.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "HttpTestServer.h"
#include "platform/Socket.h"
#include "storage/HttpClient.h"
#include "storage/Storage.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

std::string Pattern(int first, int n) {
  std::string s;
  for (int i = first; i < first + n; ++i) s += char((i * 31 + 7) & 255);
  return s;
}

std::string BodyText(const HttpResponse& r) {
  std::string s;
  char buf[4096];
  for (int64_t n; (n = r.body->Read(buf, sizeof buf)) > 0;) s.append(buf, size_t(n));
  return s;
}

std::string WithoutCr(std::string s) {
  std::erase(s, '\r');
  return s;
}

class HttpClientTest : public PM::Test::BlockCheckedTest {
 protected:
  void SetUp() override {
    setenv("PM_LOG_DIR", m_logs.Path().c_str(), 1);
    ASSERT_TRUE(m_server.Start()) << "the Python test server did not start";
    PM::Test::BlockCheckedTest::SetUp();
  }
  std::string Url(const char* path) const { return m_server.Url(path); }

  PM::Test::TempDir m_logs;
  PM::Test::HttpTestServer m_server;
};

TEST_F(HttpClientTest, GetSendsHostAgentAndCloseAndReadsTheWholeBody) {
  HttpResponse echo = HttpClient::Get(Url("/echo").c_str());
  ASSERT_TRUE(echo.Ok());
  EXPECT_EQ(WithoutCr(BodyText(echo)), "GET /echo HTTP/1.1\nHost: 127.0.0.1:" + std::to_string(m_server.Port()) +
                                           "\nUser-Agent: Pelmora Agent\nConnection: close\n\n");

  HttpResponse r = HttpClient::Get(Url("/data/100000").c_str());
  ASSERT_EQ(r.result, kNetOk);
  EXPECT_EQ(r.status, 200);
  ASSERT_NE(r.Header("content-length"), nullptr);
  EXPECT_STREQ(r.Header("Content-Length"), "100000");
  EXPECT_EQ(r.body->GetFileLength(), 100000);
  EXPECT_EQ(BodyText(r), Pattern(0, 100000));
}

TEST_F(HttpClientTest, HeadHasHeadersButNoBody) {
  HttpResponse r = HttpClient::Head(Url("/data/1000").c_str());
  EXPECT_EQ(r.result, kNetOk);
  EXPECT_EQ(r.status, 200);
  EXPECT_STREQ(r.Header("Content-Length"), "1000");
  EXPECT_TRUE(r.body.IsNull());
  HttpResponse chunked = HttpClient::Head(Url("/chunked/1000").c_str());
  EXPECT_EQ(chunked.result, kNetOk);
  EXPECT_STREQ(chunked.Header("Transfer-Encoding"), "chunked");
}

TEST_F(HttpClientTest, RangesAskForBytesAndReportTheUnsatisfiable) {
  HttpOptions o;
  o.rangeFirst = 10;
  o.rangeLast = 19;
  std::string echo = WithoutCr(BodyText(HttpClient::Get(Url("/echo").c_str(), o)));
  EXPECT_NE(echo.find("\nRange: bytes=10-19\n"), std::string::npos) << echo;

  HttpResponse r = HttpClient::Get(Url("/data/1000").c_str(), o);
  EXPECT_EQ(r.result, kNetOk);
  EXPECT_EQ(r.status, 206);
  EXPECT_STREQ(r.Header("Content-Range"), "bytes 10-19/1000");
  EXPECT_EQ(BodyText(r), Pattern(10, 10));

  o.rangeFirst = 990;
  o.rangeLast = -1;
  EXPECT_EQ(BodyText(HttpClient::Get(Url("/data/1000").c_str(), o)), Pattern(990, 10));

  o.rangeFirst = 5000;
  HttpResponse beyond = HttpClient::Get(Url("/data/1000").c_str(), o);
  EXPECT_EQ(beyond.result, EHttpRangeNotSatisfiable);
  EXPECT_EQ(beyond.status, 416);

  o.rangeFirst = 20;
  o.rangeLast = 10;
  EXPECT_EQ(HttpClient::Get(Url("/data/1000").c_str(), o).result, ENetBadRequest);
}

TEST_F(HttpClientTest, ChunkedBodiesWithExtensionsAndTrailers) {
  HttpResponse r = HttpClient::Get(Url("/chunked/50000").c_str());
  ASSERT_EQ(r.result, kNetOk);
  EXPECT_EQ(BodyText(r), Pattern(0, 50000));
  EXPECT_EQ(BodyText(HttpClient::Get(Url("/chunked/0").c_str())), "");
}

TEST_F(HttpClientTest, StatusesAreNamedAndRedirectsRefused) {
  HttpResponse missing = HttpClient::Get(Url("/no/such/file").c_str());
  EXPECT_EQ(missing.result, EHttpNotFound);
  EXPECT_EQ(missing.status, 404);
  EXPECT_STREQ(NetResultName(missing.result), "ENotFound");
  EXPECT_STREQ(NetResultName(HttpClient::Get(Url("/raw/bad-status").c_str()).result), "EHttpMalformed");
  HttpResponse moved = HttpClient::Get(Url("/redirect").c_str());
  EXPECT_EQ(moved.result, EHttpRedirect);
  EXPECT_EQ(moved.status, 302);
  EXPECT_STREQ(moved.Header("Location"), "/data/10");
}

TEST_F(HttpClientTest, ReadAndTotalTimeoutsEndAStalledServer) {
  HttpOptions o;
  o.readTimeoutMs = 300;
  for (const char* path : {"/slow", "/silent"}) {
    auto start = std::chrono::steady_clock::now();
    HttpResponse r = HttpClient::Get(Url(path).c_str(), o);
    EXPECT_EQ(r.result, ENetTimeOut) << path;
    EXPECT_TRUE(r.body.IsNull()) << "a cut body is not handed out";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << path;
  }
  o.readTimeoutMs = 20000;
  o.totalTimeoutMs = 300;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(HttpClient::Get(Url("/slow").c_str(), o).result, ENetTimeOut);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(HttpClientTest, BrokenResponsesEndInClearErrors) {
  const struct {
    const char* name;
    NetResult expected;
  } cases[] = {
      {"bad-status", EHttpMalformed},    {"not-http", EHttpMalformed},
      {"header-flood", EHttpTooLarge},   {"long-line", EHttpTooLarge},
      {"longer-body", EHttpBodyTooLong}, {"shorter-body", ENetClosed},
      {"closed-early", ENetClosed},      {"empty", ENetClosed},
      {"bad-chunk", EHttpMalformed},     {"huge-declared", EHttpTooLarge},
  };
  HttpOptions o;
  o.readTimeoutMs = 3000;
  for (const auto& c : cases) {
    HttpResponse r = HttpClient::Get(Url((std::string("/raw/") + c.name).c_str()).c_str(), o);
    EXPECT_EQ(r.result, c.expected) << c.name << ": " << NetResultName(r.result);
    EXPECT_TRUE(r.body.IsNull()) << c.name;
  }
  HttpResponse toClose = HttpClient::Get(Url("/raw/until-close").c_str(), o);
  EXPECT_EQ(toClose.result, kNetOk);
  EXPECT_EQ(BodyText(toClose), "hello until close");
}

TEST_F(HttpClientTest, BodiesOverTheLimitAreRefused) {
  HttpOptions o;
  o.maxBodyBytes = 1000;
  EXPECT_EQ(HttpClient::Get(Url("/data/1000").c_str(), o).result, kNetOk);
  EXPECT_EQ(HttpClient::Get(Url("/data/1001").c_str(), o).result, EHttpTooLarge);
  EXPECT_EQ(HttpClient::Get(Url("/chunked/1001").c_str(), o).result, EHttpTooLarge);
}

TEST_F(HttpClientTest, BadUrlsAndMethodsAreRefusedBeforeConnecting) {
  for (const char* url :
       {"ftp://127.0.0.1/x", "https://127.0.0.1/x", "http://", "http:///x", "http://[::1/x", "http://127.0.0.1:99999/x",
        "http://127.0.0.1:/x", "http://user@127.0.0.1/x", "http://bad host/x"}) {
    EXPECT_EQ(HttpClient::Get(url).result, ENetBadAddress) << url;
  }
  EXPECT_EQ(HttpClient::Get(nullptr).result, ENetBadAddress);
  EXPECT_EQ(HttpClient::Request("POST", Url("/echo").c_str(), HttpOptions()).result, ENetBadRequest);
}

TEST_F(HttpClientTest, PathBytesAreEscapedSoNoHeaderCanBeInjected) {
  HttpResponse r = HttpClient::Get((Url("/echo") + "?a b\r\nX-Injected: 1#frag").c_str());
  ASSERT_EQ(r.result, kNetOk);
  std::string head = WithoutCr(BodyText(r));
  EXPECT_EQ(std::string(head.begin(), std::find(head.begin(), head.end(), '\n')),
            "GET /echo?a%20b%0D%0AX-Injected:%201 HTTP/1.1");
  EXPECT_EQ(head.find("X-Injected: 1"), std::string::npos);
}

TEST_F(HttpClientTest, ARefusedConnectionIsAConnectFailure) {
  Socket s;
  ASSERT_EQ(Socket::Listen("127.0.0.1", 0, 1, s), 0);
  int port = s.LocalPort();
  s.Close();  // nothing listens there now
  EXPECT_EQ(HttpClient::Get(("http://127.0.0.1:" + std::to_string(port) + "/").c_str()).result, ENetConnectFailed);
}

TEST_F(HttpClientTest, StorageServesHttpNamesThroughTheClient) {
  StreamPipeRef s(Storage::OpenStreamSimple(String(Url("/data/5000").c_str()), Storage::kRead));
  ASSERT_FALSE(s.IsNull());
  std::string got;
  char buf[4096];
  for (int64_t n; (n = s->Read(buf, sizeof buf)) > 0;) got.append(buf, size_t(n));
  EXPECT_EQ(got, Pattern(0, 5000));
  String full;
  uint32_t code = 0;
  EXPECT_EQ(Storage::OpenStream(String(Url("/missing").c_str()), Storage::kReadQuiet, full, &code), NullPipe());
  EXPECT_EQ(code, 0x8000000Au);
}

// A peer that accepts and never answers costs one read time-out for a script name, not one per
// candidate ("x.bsb", "x.bs") plus one more for the text-script hint.
TEST_F(HttpClientTest, ASilentPeerIsAskedOnceForAllOfANamesCandidates) {
  Socket listener;
  ASSERT_EQ(Socket::Listen("127.0.0.1", 0, 8, listener), 0);
  std::atomic<int> accepted{0};
  std::atomic<bool> stop{false};
  std::thread peer([&] {
    std::vector<Socket> held;
    while (!stop) {
      Socket c;
      if (listener.Accept(c, 50) == 0) ++accepted, held.push_back(std::move(c));
    }
  });
  HttpOptions saved = Storage::GetHttpOptions(), quick = saved;
  quick.readTimeoutMs = 400;
  Storage::SetHttpOptions(quick);
  std::string name = "http://127.0.0.1:" + std::to_string(listener.LocalPort()) + "/s.[bsb]";
  String full;
  uint32_t code = 0;
  testing::internal::CaptureStderr();
  auto start = std::chrono::steady_clock::now();
  StreamPipeRef s(Storage::OpenStream(String(name.c_str()), Storage::kRead, full, &code));
  auto waited = std::chrono::steady_clock::now() - start;
  testing::internal::GetCapturedStderr();
  stop = true;
  peer.join();
  Storage::SetHttpOptions(saved);
  EXPECT_TRUE(s.IsNull());
  EXPECT_EQ(code, uint32_t(ENetTimeOut));
  EXPECT_EQ(accepted.load(), 1);
  EXPECT_LT(waited, std::chrono::seconds(5));
}

}  // namespace
}  // namespace PM
