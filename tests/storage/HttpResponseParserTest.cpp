// The response parser on its own: framing cases that the Python peer does not produce, each fed whole
// and one byte at a time, which must agree.
#include <gtest/gtest.h>

#include <string>

#include "storage/HttpResponseParser.h"
#include "storage/Streams.h"
#include "support/TestEnv.h"

namespace PM {
namespace {

struct Outcome {
  bool done;
  NetResult error;
  int status;
  std::string body;
};

Outcome Parse(const std::string& bytes, bool head, bool byteByByte, bool peerCloses) {
  StreamPipeRef sink = NewMemoryStream();
  HttpResponseParser::Limits limits;
  limits.maxHeaderLines = 10;
  limits.maxLineBytes = 64;
  limits.maxBodyBytes = 100;
  HttpResponseParser p(sink.Get(), head, limits);
  if (byteByByte) {
    for (char c : bytes)
      if (!p.Feed(&c, 1)) break;
  } else {
    p.Feed(bytes.data(), bytes.size());
  }
  if (peerCloses && !p.HasFailed() && !p.IsDone()) p.Finish();
  size_t n = 0;
  const uint8_t* data = MemoryStreamData(sink.Get(), &n);
  return {p.IsDone(), p.Error(), p.Status(), std::string(reinterpret_cast<const char*>(data), n)};
}

std::string Repeat(const std::string& s, int n) {
  std::string r;
  while (n-- > 0) r += s;
  return r;
}

class HttpResponseParserTest : public PM::Test::BlockCheckedTest {};

TEST_F(HttpResponseParserTest, FramingCasesWholeAndByteByByte) {
  const struct {
    const char* name;
    std::string bytes;
    bool head, closes;
    bool done;
    NetResult error;
    int status;
    std::string body;
  } cases[] = {
      {"length", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc", false, false, true, kNetOk, 200, "abc"},
      {"bare LF lines", "HTTP/1.0 200 OK\nContent-Length: 2\n\nhi", false, false, true, kNetOk, 200, "hi"},
      {"no reason", "HTTP/1.1 204\r\n\r\n", false, false, true, kNetOk, 204, ""},
      {"interim 100 skipped", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx", false,
       false, true, kNetOk, 200, "x"},
      {"HEAD ignores the length", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n", true, false, true, kNetOk, 200, ""},
      {"304 has no body", "HTTP/1.1 304 Not Modified\r\nContent-Length: 50\r\n\r\n", false, false, true, kNetOk, 304,
       ""},
      {"chunks win over a length",
       "HTTP/1.1 200 OK\r\nContent-Length: 99\r\nTransfer-Encoding: Chunked\r\n\r\n"
       "2;x=y\r\nab\r\n001 \r\nc\r\n0\r\nTrailer: t\r\n\r\n",
       false, false, true, kNetOk, 200, "abc"},
      {"to the close", "HTTP/1.1 200 OK\r\n\r\nuntil", false, true, true, kNetOk, 200, "until"},
      {"bad version", "HTTP/2.0 200 OK\r\n\r\n", false, false, false, EHttpMalformed, 0, ""},
      {"status out of range", "HTTP/1.1 600 Odd\r\n\r\n", false, false, false, EHttpMalformed, 0, ""},
      {"switching protocols", "HTTP/1.1 101 Switching\r\n\r\n", false, false, false, EHttpUnsupported, 101, ""},
      {"folded header", "HTTP/1.1 200 OK\r\nA: b\r\n c\r\n\r\n", false, false, false, EHttpMalformed, 200, ""},
      {"space before colon", "HTTP/1.1 200 OK\r\nA : b\r\n\r\n", false, false, false, EHttpMalformed, 200, ""},
      {"control in value", "HTTP/1.1 200 OK\r\nA: b\x01\r\n\r\n", false, false, false, EHttpMalformed, 200, ""},
      {"conflicting lengths", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", false, false, false,
       EHttpMalformed, 200, ""},
      {"signed length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", false, false, false, EHttpMalformed, 200, ""},
      {"gzip coding", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n", false, false, false,
       EHttpUnsupported, 200, ""},
      {"no CRLF after a chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nab\r\n", false, false, false,
       EHttpMalformed, 200, ""},
      {"huge chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffff\r\n", false, false,
       false, EHttpTooLarge, 200, ""},
      {"chunks over the limit",
       std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n40\r\n").append(64, 'a') + "\r\n40\r\n", false,
       false, false, EHttpTooLarge, 200, ""},
      {"to the close over the limit", std::string("HTTP/1.1 200 OK\r\n\r\n").append(101, 'z'), false, true, false,
       EHttpTooLarge, 200, ""},
      {"trailer flood",
       std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n").append(Repeat("t:1\r\n", 11)), false,
       false, false, EHttpTooLarge, 200, ""},
      {"cut in a chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab", false, true, false, ENetClosed,
       200, ""},
      {"bytes after the end", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nxy", false, false, false, EHttpBodyTooLong,
       200, ""},
  };
  for (const auto& c : cases) {
    for (bool byteByByte : {false, true}) {
      Outcome o = Parse(c.bytes, c.head, byteByByte, c.closes);
      SCOPED_TRACE(std::string(c.name) + (byteByByte ? " (byte by byte)" : " (whole)"));
      EXPECT_EQ(o.done, c.done);
      EXPECT_EQ(o.error, c.error) << NetResultName(o.error);
      EXPECT_EQ(o.status, c.status);
      if (c.done) {
        EXPECT_EQ(o.body, c.body);  // a failed response's bytes are never handed out
      }
    }
  }
}

TEST_F(HttpResponseParserTest, HeadersKeepTheirOrderAndAnswerAnyCase) {
  HttpResponseParser p(nullptr, false);
  std::string r = "HTTP/1.1 404 Not Here\r\nX-A:  one \r\nx-a: two\r\nContent-Length: 0\r\n\r\n";
  ASSERT_TRUE(p.Feed(r.data(), r.size()));
  ASSERT_TRUE(p.IsDone());
  EXPECT_EQ(p.Reason(), "Not Here");
  ASSERT_EQ(p.Headers().size(), 3u);
  EXPECT_STREQ(p.Header("X-a"), "one");
  EXPECT_EQ(p.Headers()[1].second, "two");
  EXPECT_EQ(p.DeclaredLength(), 0);
  EXPECT_EQ(p.Header("Missing"), nullptr);
}

}  // namespace
}  // namespace PM
