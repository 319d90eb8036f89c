// site_load: holds idle and trickling connections open against a web server
// from 127.0.0.2 and up, as attackers on other machines would, while it
// measures how long GETs from 127.0.0.1 take, and reports the server's
// memory.
//
//   site_load --port N [--idle 1000] [--trickle 200] [--per-address 100]
//             [--trickle-every-ms 1000] [--warmup-seconds 3] [--seconds 20]
//             [--rate 20] [--pid PID] PATH...
//
// An idle client connects and sends nothing; a trickling one sends a GET's
// head a byte every --trickle-every-ms, never finishing it. Both connect
// again at once when the server closes them. Each PATH is fetched --rate
// times a second, each time on a new connection, for --seconds after the
// attackers had --warmup-seconds to connect. The latency runs from the
// connect to the answer's last byte.
#include <boost/asio.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using boost::system::error_code;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Options {
  unsigned short port = 0;
  int idle = 1000;
  int trickle = 200;
  int perAddress = 100;
  milliseconds trickleEvery{1000};
  int warmupSeconds = 3;
  int seconds = 20;
  int rate = 20;
  int pid = 0;
  std::vector<std::string> paths;
};

struct Counters {
  int open = 0;     // attackers connected now
  int closed = 0;   // connections the server ended
  int refused = 0;  // connects that failed
};

// 127.0.0.<2 + index / perAddress>.
asio::ip::address AttackerAddress(int index, int perAddress) {
  return asio::ip::make_address_v4(0x7F000002U + static_cast<unsigned>(index / perAddress));
}

// An attacker's connection, made again whenever it ends. Trickling ones
// send the head of a GET a byte at a time.
class Attacker : public std::enable_shared_from_this<Attacker> {
 public:
  Attacker(asio::io_context& io, const Options& options, int index, bool trickles,
           Counters& counters)
      : io_(io),
        options_(options),
        from_(AttackerAddress(index, options.perAddress)),
        trickles_(trickles),
        counters_(counters),
        socket_(io),
        timer_(io) {}

  void Connect() {
    error_code error;
    socket_ = tcp::socket(io_);
    socket_.open(tcp::v4(), error);
    socket_.bind({from_, 0}, error);
    socket_.async_connect(
        {asio::ip::make_address_v4("127.0.0.1"), options_.port},
        [self = shared_from_this()](const error_code& failed) { self->OnConnect(failed); });
  }

 private:
  void OnConnect(const error_code& failed) {
    if (failed) {
      ++counters_.refused;
      Again(milliseconds(100));
      return;
    }
    ++counters_.open;
    ++generation_;
    sent_ = 0;
    // Reads only to learn when the server closes the connection.
    socket_.async_read_some(
        asio::buffer(scratch_),
        [self = shared_from_this()](const error_code&, std::size_t) { self->OnClosed(); });
    if (trickles_) {
      // Spread over the interval, so that the bytes do not come in bursts.
      static std::mt19937 random(7);
      Trickle(milliseconds(random() % options_.trickleEvery.count()));
    }
  }

  void Trickle(milliseconds after) {
    timer_.expires_after(after);
    timer_.async_wait([self = shared_from_this(), generation = generation_](const error_code& e) {
      if (e || generation != self->generation_ || !self->socket_.is_open()) {
        return;
      }
      static const std::string head =
          "GET /dmmy/19499.html HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ";
      const char byte = self->sent_ < head.size() ? head[self->sent_] : 'a';
      ++self->sent_;
      error_code error;
      asio::write(self->socket_, asio::buffer(&byte, 1), error);
      if (!error) {
        self->Trickle(self->options_.trickleEvery);
      }
    });
  }

  void OnClosed() {
    --counters_.open;
    ++counters_.closed;
    error_code ignored;
    socket_.close(ignored);
    timer_.cancel();
    Again(milliseconds(10));
  }

  void Again(milliseconds after) {
    auto wait = std::make_shared<asio::steady_timer>(io_, after);
    wait->async_wait([self = shared_from_this(), wait](const error_code&) { self->Connect(); });
  }

  asio::io_context& io_;
  const Options& options_;
  const asio::ip::address from_;
  const bool trickles_;
  Counters& counters_;
  tcp::socket socket_;
  asio::steady_timer timer_;
  std::size_t sent_ = 0;
  unsigned generation_ = 0;
  char scratch_[512];
};

struct Probes {
  std::vector<double> milliseconds;  // of the answered ones
  int started = 0;
  int failures = 0;  // no connection, or an answer other than 200
};

// One GET on a connection of its own, timed from the connect to the end.
class Probe : public std::enable_shared_from_this<Probe> {
 public:
  Probe(asio::io_context& io, unsigned short port, const std::string& path, Probes& probes)
      : socket_(io),
        port_(port),
        probes_(probes),
        request_("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n") {}

  void Start() {
    ++probes_.started;
    start_ = Clock::now();
    socket_.async_connect({asio::ip::make_address_v4("127.0.0.1"), port_},
                          [self = shared_from_this()](const error_code& error) {
                            if (error) {
                              ++self->probes_.failures;
                              return;
                            }
                            asio::async_write(
                                self->socket_, asio::buffer(self->request_),
                                [self](const error_code&, std::size_t) { self->Read(); });
                          });
  }

 private:
  void Read() {
    socket_.async_read_some(asio::buffer(chunk_), [self = shared_from_this()](
                                                      const error_code& error, std::size_t got) {
      self->answer_.append(self->chunk_, got);
      if (!error) {
        self->Read();
        return;
      }
      if (self->answer_.starts_with("HTTP/1.1 200 ")) {
        const std::chrono::duration<double, std::milli> took = Clock::now() - self->start_;
        self->probes_.milliseconds.push_back(took.count());
      } else {
        ++self->probes_.failures;
      }
    });
  }

  tcp::socket socket_;
  unsigned short port_;
  Probes& probes_;
  const std::string request_;
  Clock::time_point start_;
  std::string answer_;
  char chunk_[16384];
};

// A field of /proc/PID/status in MiB ("VmRSS", "VmHWM"), 0 when unknown.
double MemoryMiB(int pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with(field + ":")) {
      return std::stod(line.substr(field.size() + 1)) / 1024.0;
    }
  }
  return 0;
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) {
    return 0;
  }
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto number = [&] {
      return i + 1 < argc ? std::stoi(argv[++i]) : throw std::invalid_argument(arg);
    };
    if (arg == "--port") {
      options.port = static_cast<unsigned short>(number());
    } else if (arg == "--idle") {
      options.idle = number();
    } else if (arg == "--trickle") {
      options.trickle = number();
    } else if (arg == "--per-address") {
      options.perAddress = number();
    } else if (arg == "--trickle-every-ms") {
      options.trickleEvery = milliseconds(number());
    } else if (arg == "--warmup-seconds") {
      options.warmupSeconds = number();
    } else if (arg == "--seconds") {
      options.seconds = number();
    } else if (arg == "--rate") {
      options.rate = number();
    } else if (arg == "--pid") {
      options.pid = number();
    } else if (arg.starts_with("/")) {
      options.paths.push_back(arg);
    } else {
      throw std::invalid_argument(arg);
    }
  }
  if (options.port == 0 || options.paths.empty() || options.perAddress < 1 || options.rate < 1) {
    throw std::invalid_argument("--port and a PATH are needed");
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    options = ParseOptions(argc, argv);
  } catch (const std::exception& bad) {
    std::cerr << "site_load: bad argument " << bad.what()
              << "\nusage: site_load --port N [--idle N] [--trickle N] [--per-address N]\n"
                 "                 [--trickle-every-ms N] [--warmup-seconds N] [--seconds N]\n"
                 "                 [--rate N] [--pid PID] PATH...\n";
    return 2;
  }
  asio::io_context io;
  Counters idle;
  Counters trickling;
  for (int i = 0; i < options.idle + options.trickle; ++i) {
    const bool trickles = i >= options.idle;
    std::make_shared<Attacker>(io, options, i, trickles, trickles ? trickling : idle)->Connect();
  }

  std::map<std::string, Probes> probes;
  double highestRss = 0;
  bool measuring = false;
  const Clock::time_point start = Clock::now();
  const Clock::time_point measureFrom = start + std::chrono::seconds(options.warmupSeconds);
  const Clock::time_point end = measureFrom + std::chrono::seconds(options.seconds);
  asio::steady_timer tick(io);
  const milliseconds period(1000 / options.rate);
  std::function<void(Clock::time_point)> every = [&](Clock::time_point at) {
    tick.expires_at(at);
    tick.async_wait([&, at](const error_code&) {
      const Clock::time_point now = Clock::now();
      if (now >= end) {
        io.stop();
        return;
      }
      measuring = now >= measureFrom;
      if (measuring) {
        for (const std::string& path : options.paths) {
          std::make_shared<Probe>(io, options.port, path, probes[path])->Start();
        }
      }
      if (options.pid != 0) {
        highestRss = std::max(highestRss, MemoryMiB(options.pid, "VmRSS"));
      }
      every(at + period);
    });
  };
  every(Clock::now());
  io.run();

  std::printf(
      "attackers from 127.0.0.2 on, %d a address: %d idle (%d open at the end, %d closed "
      "by the server, %d connects failed), %d trickling a byte every %lld ms (%d open, "
      "%d cut off, %d connects failed)\n",
      options.perAddress, options.idle, idle.open, idle.closed, idle.refused, options.trickle,
      static_cast<long long>(options.trickleEvery.count()), trickling.open, trickling.closed,
      trickling.refused);
  for (const std::string& path : options.paths) {
    const Probes& measured = probes[path];
    const std::size_t unanswered = static_cast<std::size_t>(measured.started - measured.failures) -
                                   measured.milliseconds.size();
    std::printf(
        "GET %s from 127.0.0.1 over %d s: %zu answered, %d failed, %zu unanswered at the "
        "end; p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
        path.c_str(), options.seconds, measured.milliseconds.size(), measured.failures, unanswered,
        Percentile(measured.milliseconds, 0.5), Percentile(measured.milliseconds, 0.99),
        Percentile(measured.milliseconds, 1.0));
  }
  if (options.pid != 0) {
    std::printf(
        "server (pid %d): VmRSS %.1f MiB at the end, %.1f MiB at most while sampled, "
        "VmHWM %.1f MiB\n",
        options.pid, MemoryMiB(options.pid, "VmRSS"), highestRss, MemoryMiB(options.pid, "VmHWM"));
  }
  return 0;
}
