// The server against hostile and ordinary clients: caps, deadlines, broken
// requests, connection caps, stopping, logging and the worker pool.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "router.h"
#include "test_client.h"
#include "web_server.h"

namespace web_server::testing {
namespace {

constexpr std::size_t UploadLimit = 4 * 1024 * 1024;

class ServerTest : public ::testing::Test {
 protected:
  // Short deadlines, so that the tests wait little.
  static Options QuickOptions() {
    Options options;
    options.requestDeadline = 600ms;
    options.idleTimeout = 400ms;
    options.ioThreads = 2;
    options.blockingWorkers = 2;
    return options;
  }

  void Start(Options options = QuickOptions()) {
    router_.Get(
        "/", [](const Request&, Response& response) { response.SetContent("home", "text/plain"); });
    const Handler echo = [](const Request& request, Response& response) {
      response.SetContent(
          request.method + " " + request.path + " " + std::to_string(request.body.size()),
          "text/plain");
    };
    router_.Prefix("GET", "/echo", echo);
    router_.Post("/echo", echo);
    router_.Post("/upload", echo, Runs::OnWorkers);
    router_.Get("/large", [](const Request&, Response& response) {
      response.SetContent(std::string(200'000, 'l'), "text/plain");
    });
    router_.Get("/throw", [](const Request&, Response&) { throw std::runtime_error("broken"); });
    router_.Get(
        "/slow",
        [this](const Request&, Response& response) {
          std::unique_lock<std::mutex> lock(mutex_);
          ++slowRunning_;
          changed_.notify_all();
          changed_.wait_for(lock, 5s, [this] { return released_; });
          response.SetContent("slow", "text/plain");
        },
        Runs::OnWorkers);
    Hooks hooks;
    router_.Install(hooks);
    hooks.bodyLimit = [](const Request& head) {
      return head.path == "/upload" ? UploadLimit : 64 * 1024;
    };
    hooks.errorPage = [](const Request&, Response& response) {
      response.SetContent("拒绝 " + std::to_string(response.status), "text/plain; charset=utf-8");
    };
    hooks.log = [this](const Request& request, const Response& response) {
      const std::lock_guard<std::mutex> lock(mutex_);
      log_.push_back(LogLine(request, response));
    };
    server_ = std::make_unique<Server>(options, std::move(hooks));
    port_ = server_->Listen("127.0.0.1", 0).value_or(0);
    ASSERT_NE(port_, 0);
    running_ = std::thread([this] { server_->Run(); });
  }

  void TearDown() override {
    Release();
    if (server_) {
      server_->Stop();
    }
    if (running_.joinable()) {
      running_.join();
    }
  }

  void Release() {
    const std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

  void WaitForSlowHandlers(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    ASSERT_TRUE(changed_.wait_for(lock, 3s, [&] { return slowRunning_ >= count; }));
  }

  std::vector<std::string> Log() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }

  // The answer to one GET on a connection of its own.
  std::string Get(const std::string& target) {
    TestClient client(port_);
    client.Send("GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n");
    return client.Answer();
  }

  Router router_;
  std::unique_ptr<Server> server_;
  int port_ = 0;
  std::thread running_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int slowRunning_ = 0;
  bool released_ = false;
  std::vector<std::string> log_;
};

TEST_F(ServerTest, HeadsAndBodiesAreCapped) {
  Start();
  const struct {
    const char* what;
    std::string request;
    int status;
  } cases[] = {
      {"a head of 32 KiB", HeadOfSize(32 * 1024), 200},
      {"a head of 32 KiB and a byte", HeadOfSize(32 * 1024 + 1), 431},
      {"100 header lines", HeadOfSize(2000, 100), 200},
      {"101 header lines", HeadOfSize(2000, 101), 431},
      {"a body of 64 KiB", Post("/echo", 64 * 1024), 200},
      {"a body of 64 KiB and a byte", Post("/echo", 64 * 1024 + 1, false), 413},
      {"a chunked body of 64 KiB", Chunked(16, 4096), 200},
      {"a chunked body past 64 KiB", Chunked(17, 4096), 413},
      {"a length beyond any cap", Post("/echo", 10'000'000'000, false), 413},
      {"a 4 MiB upload where the head allows it", Post("/upload", UploadLimit), 200},
      {"an upload past 4 MiB", Post("/upload", UploadLimit + 1, false), 413},
  };
  for (const auto& c : cases) {
    TestClient client(port_);
    client.Send(c.request);
    const std::string answer = client.Answer();
    EXPECT_EQ(StatusOf(answer), c.status) << c.what;
    if (c.status != 200) {
      // The owner's page, and the connection ends.
      EXPECT_EQ(BodyOf(answer), "拒绝 " + std::to_string(c.status)) << c.what;
      EXPECT_NE(answer.find("Connection: close"), std::string::npos) << c.what;
      EXPECT_TRUE(client.ClosesWithin(2s)) << c.what;
    }
  }
  EXPECT_EQ(BodyOf(Get("/echo")), "GET /echo 0");
}

// Whatever follows a request the server cannot read is never taken for a
// request of its own, so nothing can be smuggled past it.
TEST_F(ServerTest, ARequestItCannotReadEndsTheConnection) {
  Start();
  const std::string smuggled = "GET /echo/smuggled HTTP/1.1\r\nHost: x\r\n\r\n";
  const struct {
    const char* what;
    std::string request;
  } cases[] = {
      {"an unknown method, the next line a request", "FOO / HTTP/1.1\r\n" + smuggled},
      {"an unknown method, then a request", "FOO / HTTP/1.1\r\nHost: x\r\n\r\n" + smuggled},
      {"a request line without a version", "GET /\r\n\r\n" + smuggled},
      {"a request line with a word too many", "GET / HTTP/1.1 x\r\n\r\n" + smuggled},
      {"a bad version", "GET / HTTP/9.x\r\n\r\n" + smuggled},
      {"binary bytes", std::string("\x16\x03\x01\x02\x00\x01\r\n\r\n", 10) + smuggled},
      {"a header line without a colon", "GET / HTTP/1.1\r\nHost x\r\n\r\n" + smuggled},
      {"a length and chunks at once",
       "POST /echo HTTP/1.1\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n" +
           smuggled},
      {"a transfer coding without chunks",
       "POST /echo HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\n" + smuggled},
      {"two different lengths",
       "POST /echo HTTP/1.1\r\nContent-Length: 0\r\nContent-Length: 41\r\n\r\n" + smuggled},
  };
  for (const auto& c : cases) {
    TestClient client(port_);
    client.Send(c.request);
    EXPECT_EQ(StatusOf(client.Answer()), 400) << c.what;
    EXPECT_TRUE(client.ClosesWithin(2s)) << c.what;
    EXPECT_EQ(client.received(), "") << c.what;
  }
  for (const std::string& line : Log()) {
    EXPECT_EQ(line.find("smuggled"), std::string::npos) << line;
  }
}

TEST_F(ServerTest, OrdinaryClientsAreAnswered) {
  Start();
  const struct {
    const char* what;
    std::string request;
    std::vector<std::string> bodies;  // the answers' bodies, in order
    bool closes;
  } cases[] = {
      {"two requests in one go",
       "GET /echo/1 HTTP/1.1\r\n\r\nPOST /echo HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc",
       {"GET /echo/1 0", "POST /echo 3"},
       false},
      {"HTTP/1.0 without keep-alive", "GET / HTTP/1.0\r\n\r\n", {"home"}, true},
      {"HTTP/1.0 with keep-alive",
       "GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n",
       {"home"},
       false},
      {"a close asked for", "GET / HTTP/1.1\r\nConnection: close\r\n\r\n", {"home"}, true},
      {"a percent-encoded path",
       "GET /echo/%E8%B0%9C%20a+b?q=1 HTTP/1.1\r\n\r\n",
       {"GET /echo/谜 a+b 0"},
       false},
      {"an absolute target",
       "GET http://x/echo/abs?q HTTP/1.1\r\n\r\n",
       {"GET /echo/abs 0"},
       false},
      {"a handler that throws", "GET /throw HTTP/1.1\r\n\r\n", {"拒绝 500"}, false},
      {"no route", "GET /nowhere HTTP/1.1\r\n\r\n", {"404 Not Found\n"}, false},
  };
  for (const auto& c : cases) {
    TestClient client(port_);
    client.Send(c.request);
    for (const std::string& body : c.bodies) {
      EXPECT_EQ(BodyOf(client.Answer()), body) << c.what;
    }
    EXPECT_EQ(client.ClosesWithin(c.closes ? 2s : 100ms), c.closes) << c.what;
  }
}

TEST_F(ServerTest, AHeadRequestGetsTheHeadAlone) {
  Start();
  TestClient client(port_);
  client.Send("HEAD / HTTP/1.1\r\nConnection: close\r\n\r\n");
  ASSERT_TRUE(client.ClosesWithin(2s));
  EXPECT_EQ(StatusOf(client.received()), 200);
  EXPECT_NE(client.received().find("Content-Length: 4\r\n"), std::string::npos);
  EXPECT_TRUE(client.received().ends_with("\r\n\r\n")) << client.received();
}

TEST_F(ServerTest, AClientWaitingToSendItsBodyIsToldToGoOn) {
  Start();
  TestClient client(port_);
  client.Send("POST /echo HTTP/1.1\r\nContent-Length: 3\r\nExpect: 100-continue\r\n\r\n");
  EXPECT_EQ(StatusOf(client.Answer()), 100);
  client.Send("abc");
  EXPECT_EQ(BodyOf(client.Answer()), "POST /echo 3");

  // A body past the cap is refused before it is sent.
  TestClient tooLarge(port_);
  tooLarge.Send("POST /echo HTTP/1.1\r\nContent-Length: 100000\r\nExpect: 100-continue\r\n\r\n");
  EXPECT_EQ(StatusOf(tooLarge.Answer()), 413);
}

TEST_F(ServerTest, SlowClientsAreCutOffAtTheDeadline) {
  Start();
  // A head a byte at a time, never ending: cut off 600 ms after its first
  // byte, unanswered.
  TestClient trickling(port_);
  const Clock::time_point start = Clock::now();
  bool cutOff = false;
  for (int i = 0; i < 60 && !cutOff; ++i) {
    cutOff = !trickling.Send(i == 0 ? "G" : "X") || trickling.ClosesWithin(50ms);
  }
  const auto took = Clock::now() - start;
  EXPECT_TRUE(cutOff);
  EXPECT_GE(took, 550ms);
  EXPECT_LT(took, 1500ms);
  EXPECT_EQ(trickling.received(), "");

  // An open connection without a request is closed after the idle time.
  TestClient idle(port_);
  const Clock::time_point opened = Clock::now();
  EXPECT_TRUE(idle.ClosesWithin(2s));
  EXPECT_GE(Clock::now() - opened, 350ms);

  // A slow client within the deadline is answered.
  TestClient slow(port_);
  for (const char* piece : {"GET / HT", "TP/1.1\r\nHost:", " x\r\n\r\n"}) {
    slow.Send(piece);
    std::this_thread::sleep_for(150ms);
  }
  EXPECT_EQ(BodyOf(slow.Answer()), "home");
}

TEST_F(ServerTest, ConnectionsAreCappedPerAddressAndInAll) {
  Options options = QuickOptions();
  options.maxConnectionsPerAddress = 3;
  options.maxConnections = 5;
  options.idleTimeout = 5s;
  options.requestDeadline = 5s;
  options.maxRequestsPerConnection = 3;
  Start(options);
  auto open = [&](const std::string& from) {
    auto client = std::make_unique<TestClient>(port_, from);
    client->Send("GET / HTTP/1.1\r\n\r\n");
    return client;
  };
  std::vector<std::unique_ptr<TestClient>> held;
  for (int i = 0; i < 3; ++i) {
    held.push_back(open("127.0.0.1"));
    ASSERT_EQ(BodyOf(held.back()->Answer()), "home") << i;
  }
  const auto fourth = open("127.0.0.1");
  EXPECT_TRUE(fourth->ClosesWithin(2s));
  EXPECT_EQ(fourth->received(), "");

  // Other addresses have room of their own, up to the total.
  for (const char* from : {"127.0.0.2", "127.0.0.3"}) {
    held.push_back(open(from));
    EXPECT_EQ(BodyOf(held.back()->Answer()), "home") << from;
  }
  EXPECT_TRUE(open("127.0.0.4")->ClosesWithin(2s));

  // A closed connection makes room again.
  held.erase(held.begin());
  std::string answer;
  for (int i = 0; i < 20 && answer.empty(); ++i) {
    std::this_thread::sleep_for(50ms);
    answer = open("127.0.0.1")->Answer(1s);
  }
  EXPECT_EQ(BodyOf(answer), "home");

  // And a connection serves a bounded number of requests.
  for (int i = 1; i < 3; ++i) {
    held.back()->Send("GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(BodyOf(held.back()->Answer()), "home") << i;
  }
  EXPECT_TRUE(held.back()->ClosesWithin(2s));
}

TEST_F(ServerTest, StopClosesEveryConnectionWithinASecond) {
  Options options = QuickOptions();
  options.idleTimeout = 30s;
  options.requestDeadline = 30s;
  Start(options);
  std::vector<std::unique_ptr<TestClient>> clients;
  for (int i = 0; i < 5; ++i) {
    clients.push_back(std::make_unique<TestClient>(port_));
    clients.push_back(std::make_unique<TestClient>(port_));
    clients.back()->Send("GET / HTTP/1.1\r\nX-Half: ");
  }
  EXPECT_EQ(BodyOf(Get("/")), "home");  // the server has taken them all

  const Clock::time_point stop = Clock::now();
  server_->Stop();
  running_.join();
  EXPECT_LT(Clock::now() - stop, 1s);
  for (auto& client : clients) {
    EXPECT_TRUE(client->ClosesWithin(1s));
  }
}

TEST_F(ServerTest, TheLogShowsControlBytesEscaped) {
  Start();
  EXPECT_EQ(StatusOf(Get("/dmmy/%0Aforged%20404%1B[2J")), 404);
  EXPECT_EQ(StatusOf(Get("/echo/%5C%C2%85")), 200);
  TestClient refused(port_);
  refused.Send(HeadOfSize(40000));
  EXPECT_EQ(StatusOf(refused.Answer()), 431);
  EXPECT_EQ(Log(), (std::vector<std::string>{"GET /dmmy/\\x0Aforged 404\\x1B[2J 404",
                                             "GET /echo/\\\\\\x85 200", "GET /echo 431"}));
}

TEST_F(ServerTest, ABlockingHandlerHoldsUpNoOtherRequest) {
  Start();
  // Both workers blocked.
  TestClient first(port_);
  TestClient second(port_);
  first.Send("GET /slow HTTP/1.1\r\n\r\n");
  second.Send("GET /slow HTTP/1.1\r\n\r\n");
  WaitForSlowHandlers(2);

  const Clock::time_point start = Clock::now();
  EXPECT_EQ(BodyOf(Get("/")), "home");
  EXPECT_EQ(BodyOf(Get("/echo")), "GET /echo 0");
  EXPECT_LT(Clock::now() - start, 500ms);

  Release();
  EXPECT_EQ(BodyOf(first.Answer()), "slow");
  EXPECT_EQ(BodyOf(second.Answer()), "slow");
}

TEST_F(ServerTest, AKeptAliveConnectionAnswersAtOnce) {
  Start();
  TestClient client(port_);
  std::vector<Clock::duration> times;
  for (int i = 0; i < 9; ++i) {
    const Clock::time_point start = Clock::now();
    client.Send(i % 2 == 0 ? "GET / HTTP/1.1\r\n\r\n" : "GET /large HTTP/1.1\r\n\r\n");
    ASSERT_EQ(StatusOf(client.Answer()), 200) << i;
    times.push_back(Clock::now() - start);
  }
  // A delayed acknowledgement would hold each answer for 40 ms.
  std::sort(times.begin(), times.end());
  EXPECT_LT(times[times.size() / 2], 20ms);
}

TEST(Server, APortIsNeverShared) {
  Server first({}, {});
  const std::optional<int> port = first.Listen("127.0.0.1", 0);
  ASSERT_TRUE(port.has_value());
  Server second({}, {});
  EXPECT_FALSE(second.Listen("127.0.0.1", *port).has_value());
  EXPECT_FALSE(second.Listen("not an address", 0).has_value());
}

}  // namespace
}  // namespace web_server::testing
