#include "net/http_get.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "raw_http_server.h"
#include "support/fake_program.h"
#include "support/local_http_server.h"

namespace zorvane {
namespace {

using testing::LocalHttpServer;
using testing::RawHttpServer;
using testing::ScopedEnvironmentVariable;

std::string Body(TextView url) {
  const ByteBuffer bytes = HttpGet(url);
  return std::string(bytes.begin(), bytes.end());
}

long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000 + now.tv_nsec / 1'000'000;
}

std::vector<std::string> Lines(const std::string& head) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = head.find("\r\n", start)) != std::string::npos; start = end + 2) {
    if (end > start) {
      lines.push_back(head.substr(start, end - start));
    }
  }
  return lines;
}

class HttpGetTest : public ::testing::Test {
 protected:
  void TearDown() override { SetHttpLimitsForTesting(HttpLimits{}); }

  // Loopback requests must not go to a proxy from the environment.
  std::vector<std::optional<ScopedEnvironmentVariable>> noProxy_ = [] {
    std::vector<std::optional<ScopedEnvironmentVariable>> variables(8);
    const char* names[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                           "all_proxy",  "ALL_PROXY",  "no_proxy",    "NO_PROXY"};
    for (int i = 0; i < 8; ++i) {
      variables[i].emplace(names[i], std::nullopt);
    }
    return variables;
  }();
};

TEST_F(HttpGetTest, SendsTheModulesRequestLineAgentAndOneAcceptHeader) {
  RawHttpServer server([](RawHttpServer&, int connection) {
    RawHttpServer::Send(connection, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
  });
  EXPECT_EQ(Body(server.base() + "/list?id=3#part"), "ok");
  ASSERT_EQ(server.requests().size(), 1u);
  const std::vector<std::string> lines = Lines(server.requests()[0]);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "GET /list?id=3 HTTP/1.0");
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"),
            1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("Accept", 0) == 0; }),
            1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Accept: */*"), 1);
}

TEST_F(HttpGetTest, PathsAreResolvedButOtherwiseSentAsTheyAre) {
  RawHttpServer server([](RawHttpServer&, int connection) {
    RawHttpServer::Send(connection, "HTTP/1.0 200 OK\r\n\r\n");
  });
  HttpGet(server.base() + "/a/../b/./c.html");
  // A blank cannot go on a request line. GBK bytes are escaped in the path
  // (servers decode them to the same bytes) and go as they are in the query.
  HttpGet(server.base() + "/\xC3\xD5 \xD3\xEF.html?q=\xC4\xE3");
  HttpGet("HTTP://127.0.0.1:" + server.base().substr(server.base().rfind(':') + 1) + "/upper");
  const std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(Lines(requests[0])[0], "GET /b/c.html HTTP/1.0");
  EXPECT_EQ(Lines(requests[1])[0], "GET /%c3%d5%20%d3%ef.html?q=\xC4\xE3 HTTP/1.0");
  EXPECT_EQ(Lines(requests[2])[0], "GET /upper HTTP/1.0");
}

TEST_F(HttpGetTest, AUrlThatWouldSmuggleHeadersIsNotRequested) {
  RawHttpServer server([](RawHttpServer&, int) {});
  EXPECT_EQ(Body(server.base() + "/a\r\nX-Injected: 1"), "");
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(HttpGetTest, BodiesComeBackWhateverTheStatus) {
  LocalHttpServer server;
  server.server().Get("/missing", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("<html>gone</html>", "text/html");
  });
  server.server().Get("/empty", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("", "text/html");
  });
  server.server().Get("/nul", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string("ab\0cd", 5), "application/octet-stream");
  });
  server.Start();
  EXPECT_EQ(Body(server.base() + "/missing"), "<html>gone</html>");
  EXPECT_TRUE(HttpGet(server.base() + "/empty").empty());
  EXPECT_EQ(Body(server.base() + "/nul"), std::string("ab\0cd", 5));
}

TEST_F(HttpGetTest, FollowsRedirects) {
  LocalHttpServer server;
  server.server().Get("/old", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/new");
    response.set_content("moved", "text/plain");
  });
  server.server().Get("/new", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("arrived", "text/plain");
  });
  server.Start();
  EXPECT_EQ(Body(server.base() + "/old"), "arrived");
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_EQ(server.requests()[1].target, "/new");
  EXPECT_EQ(server.requests()[1].version, "HTTP/1.0");
}

TEST_F(HttpGetTest, OnlyHttpAndHttpsUrlsAreRequested) {
  RawHttpServer server([](RawHttpServer&, int connection) {
    RawHttpServer::Send(connection, "HTTP/1.0 200 OK\r\n\r\nanswered");
  });
  const std::string hostAndPort = server.base().substr(std::string("http://").size());
  EXPECT_EQ(Body(""), "");
  EXPECT_EQ(Body(std::string("\0http://x/", 10)), "");
  EXPECT_EQ(Body("ftp://" + hostAndPort + "/file"), "");
  EXPECT_EQ(Body("file:///etc/hostname"), "");
  EXPECT_EQ(Body(hostAndPort + "/page"), "");
  EXPECT_EQ(Body("//" + hostAndPort + "/page"), "");
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(HttpGetTest, AServerThatNeverAnswersIsGivenUpOnInTime) {
  SetHttpLimitsForTesting({300, 300, 1024});
  RawHttpServer server([](RawHttpServer& self, int) { self.StallUntilStopped(); });
  const long start = NowMs();
  EXPECT_EQ(Body(server.base() + "/"), "");
  EXPECT_LT(NowMs() - start, 3000);
}

TEST_F(HttpGetTest, AStalledBodyGivesTheBytesReceivedSoFar) {
  SetHttpLimitsForTesting({300, 300, 1024});
  RawHttpServer server([](RawHttpServer& self, int connection) {
    RawHttpServer::Send(connection, "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nhello");
    self.StallUntilStopped();
  });
  const long start = NowMs();
  EXPECT_EQ(Body(server.base() + "/"), "hello");
  EXPECT_LT(NowMs() - start, 3000);
}

TEST_F(HttpGetTest, ALengthThatDoesNotMatchTheBody) {
  RawHttpServer shorter([](RawHttpServer&, int connection) {
    RawHttpServer::Send(connection, "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nhello");
  });
  EXPECT_EQ(Body(shorter.base() + "/"), "hello");
  RawHttpServer longer([](RawHttpServer&, int connection) {
    RawHttpServer::Send(connection, "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nhello");
  });
  EXPECT_EQ(Body(longer.base() + "/"), "hel");
}

TEST_F(HttpGetTest, KeepsExactlyTheFirstBytesUpToTheCap) {
  const std::string large = [] {
    std::string bytes(200'000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] = static_cast<char>('a' + i % 26);
    }
    return bytes;
  }();
  LocalHttpServer server;
  server.server().Get("/large", [&](const httplib::Request&, httplib::Response& response) {
    response.set_content(large, "text/plain");
  });
  server.Start();
  EXPECT_EQ(Body(server.base() + "/large"), large);
  SetHttpLimitsForTesting({10'000, 30'000, 1000});
  EXPECT_EQ(Body(server.base() + "/large"), large.substr(0, 1000));
}

TEST_F(HttpGetTest, ARefusedConnectionGivesTheEmptyBuffer) {
  std::string base;
  {
    RawHttpServer gone([](RawHttpServer&, int) {});
    base = gone.base();
  }
  EXPECT_EQ(Body(base + "/"), "");
}

}  // namespace
}  // namespace zorvane
