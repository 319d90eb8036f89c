// A client for the server's tests: raw bytes out, whole answers in, from a
// chosen loopback address, every wait bounded.
#pragma once

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace web_server::testing {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class TestClient {
 public:
  // Connects to 127.0.0.1:port from the address from.
  explicit TestClient(int port, const std::string& from = "127.0.0.1") : socket_(io_) {
    namespace ip = boost::asio::ip;
    boost::system::error_code error;
    socket_.open(ip::tcp::v4(), error);
    if (!error) {
      socket_.bind({ip::make_address(from), 0}, error);
    }
    if (!error) {
      socket_.connect({ip::make_address("127.0.0.1"), static_cast<unsigned short>(port)}, error);
    }
    connected_ = !error;
  }

  bool connected() const { return connected_; }

  // False once the server has closed the connection.
  bool Send(std::string_view bytes) {
    boost::system::error_code error;
    boost::asio::write(socket_, boost::asio::buffer(bytes.data(), bytes.size()), error);
    return !error;
  }

  // The next whole answer (head and body), or "" when the connection closed
  // or the time ran out first.
  std::string Answer(std::chrono::milliseconds timeout = 3s) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
      if (const std::optional<std::size_t> size = WholeAnswerSize()) {
        std::string answer = received_.substr(0, *size);
        received_.erase(0, *size);
        return answer;
      }
      if (!ReadMore(deadline)) {
        return "";
      }
    }
  }

  // True when the server closes the connection within timeout; whatever it
  // sends before is kept for Answer.
  bool ClosesWithin(std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    while (ReadMore(deadline)) {
    }
    return closed_;
  }

  // The bytes received and not taken by Answer.
  const std::string& received() const { return received_; }

 private:
  std::optional<std::size_t> WholeAnswerSize() const {
    const std::size_t headEnd = received_.find("\r\n\r\n");
    if (headEnd == std::string::npos) {
      return std::nullopt;
    }
    std::size_t length = 0;
    const std::string head = Lowered(received_.substr(0, headEnd));
    if (const std::size_t field = head.find("\r\ncontent-length:"); field != std::string::npos) {
      length = std::stoul(head.substr(field + 17));
    }
    const std::size_t size = headEnd + 4 + length;
    return received_.size() >= size ? std::optional<std::size_t>(size) : std::nullopt;
  }

  static std::string Lowered(std::string text) {
    for (char& c : text) {
      c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
  }

  // Appends what arrives before deadline; false on close, error or timeout.
  bool ReadMore(Clock::time_point deadline) {
    if (closed_) {
      return false;
    }
    char chunk[16384];
    std::optional<boost::system::error_code> result;
    std::size_t got = 0;
    socket_.async_read_some(boost::asio::buffer(chunk),
                            [&](const boost::system::error_code& error, std::size_t n) {
                              result = error;
                              got = n;
                            });
    io_.restart();
    io_.run_until(deadline);
    if (!result) {
      boost::system::error_code ignored;
      socket_.cancel(ignored);
      io_.restart();
      io_.run();
      if (!*result) {
        received_.append(chunk, got);
      }
      return false;
    }
    if (*result) {
      closed_ = true;
      return false;
    }
    received_.append(chunk, got);
    return true;
  }

  boost::asio::io_context io_;
  boost::asio::ip::tcp::socket socket_;
  bool connected_ = false;
  bool closed_ = false;
  std::string received_;
};

// Requests: a GET whose head is exactly size bytes long and has fields header lines.
inline std::string HeadOfSize(std::size_t size, std::size_t fields = 1) {
  std::string head = "GET /echo HTTP/1.1\r\n";
  for (std::size_t i = 1; i < fields; ++i) {
    head += "X-" + std::to_string(i) + ": a\r\n";
  }
  const std::size_t rest = size - head.size() - std::string("X-Pad: \r\n\r\n").size();
  return head + "X-Pad: " + std::string(rest, 'a') + "\r\n\r\n";
}

// A POST of a body of length bytes, or of its head alone.
inline std::string Post(const std::string& path, std::uint64_t length, bool sendBody = true) {
  return "POST " + path + " HTTP/1.1\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n" +
         (sendBody ? std::string(static_cast<std::size_t>(length), 'b') : "");
}

inline std::string Chunked(std::size_t chunks, std::size_t chunkSize) {
  std::string request = "POST /echo HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n";
  char size[32];
  std::snprintf(size, sizeof(size), "%zx\r\n", chunkSize);
  for (std::size_t i = 0; i < chunks; ++i) {
    request += size + std::string(chunkSize, 'c') + "\r\n";
  }
  return request + "0\r\n\r\n";
}

// The status of an answer, 0 when there is none.
inline int StatusOf(std::string_view answer) {
  return answer.starts_with("HTTP/1.1 ") && answer.size() >= 12
             ? std::stoi(std::string(answer.substr(9, 3)))
             : 0;
}

inline std::string BodyOf(std::string_view answer) {
  const std::size_t headEnd = answer.find("\r\n\r\n");
  return headEnd == std::string_view::npos ? "" : std::string(answer.substr(headEnd + 4));
}

}  // namespace web_server::testing
