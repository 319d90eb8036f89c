// One connection, read and answered a request at a time on its strand: the
// head is parsed into the connection's Request, checked against the caps,
// the body read within the cap the owner chose, the handler run (on the
// worker pool when it may block), and the answer written in one go. A
// deadline timer cuts off a client that is too slow; a request the server
// cannot read is refused and ends the connection, so that nothing after it
// is taken for another request.
#include <boost/asio/dispatch.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/status.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <memory>
#include <utility>

#include "form_fields.h"
#include "request_parser.h"
#include "server_core.h"

namespace web_server {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
using boost::system::error_code;
using Clock = std::chrono::steady_clock;

// How long a refused client may go on sending (read and dropped) before the
// connection closes: closing with unread bytes would reset the connection,
// and the client could lose the answer.
constexpr std::chrono::seconds DrainTime{1};
// Read sizes: heads are small, bodies may be large.
constexpr std::size_t HeadReadSize = 4096;
constexpr std::size_t BodyReadSize = 64 * 1024;
// Memory a connection keeps between requests; more is given back.
constexpr std::size_t KeptCapacity = 64 * 1024;

constexpr std::string_view ContinueAnswer = "HTTP/1.1 100 Continue\r\n\r\n";

std::string_view Reason(int status) {
  const http::status known = http::int_to_status(static_cast<unsigned>(status));
  return known == http::status::unknown ? "Unknown" : View(http::obsolete_reason(known));
}

int RefusalStatus(const error_code& error) {
  if (error == http::error::header_limit) {
    return 431;
  }
  return error == http::error::body_limit ? 413 : 400;
}

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(ServerCore& core, tcp::socket socket, const tcp::endpoint& peer, Admission admission)
      : core_(core),
        socket_(std::move(socket)),
        timer_(socket_.get_executor()),
        admission_(std::move(admission)) {
    request_.remoteAddress = peer.address().to_string();
    request_.remotePort = peer.port();
  }

  void Start() {
    // A second request on a kept-alive connection must not wait for the
    // client's delayed acknowledgement of the first answer.
    error_code ignored;
    socket_.set_option(tcp::no_delay(true), ignored);
    asio::dispatch(socket_.get_executor(), [self = shared_from_this()] { self->StartRequest(); });
  }

 private:
  void StartRequest() {
    request_.Clear();
    parser_.emplace(request_, core_.options.maxHeaderLines);
    parser_->header_limit(static_cast<std::uint32_t>(core_.options.maxHeadBytes));
    parser_->body_limit(boost::none);  // chosen from the head
    headSeen_ = false;
    headBytes_ = 0;
    blocks_ = false;
    // The deadline runs from a request's first byte; until then the
    // connection is idle.
    requestStarted_ = buffer_.size() > 0;
    SetDeadline(Clock::now() +
                (requestStarted_ ? core_.options.requestDeadline : core_.options.idleTimeout));
    Parse();
  }

  void Read() {
    socket_.async_read_some(buffer_.prepare(headSeen_ ? BodyReadSize : HeadReadSize),
                            [self = shared_from_this()](const error_code& error, std::size_t got) {
                              self->OnRead(error, got);
                            });
  }

  void OnRead(const error_code& error, std::size_t got) {
    if (error) {
      Close();  // the client left, or the deadline closed the socket
      return;
    }
    buffer_.commit(got);
    if (!requestStarted_) {
      requestStarted_ = true;
      SetDeadline(Clock::now() + core_.options.requestDeadline);
    }
    Parse();
  }

  void Parse() {
    while (!parser_->is_done()) {
      error_code error;
      const std::size_t used = parser_->put(buffer_.data(), error);
      buffer_.consume(used);
      // The parser takes the request line before the rest of the head, and
      // bounds each of them, not both together.
      headBytes_ += headSeen_ ? 0 : used;
      if (!headSeen_ && headBytes_ + (error == http::error::need_more ? buffer_.size() : 0) >
                            core_.options.maxHeadBytes) {
        Refuse(431);
        return;
      }
      if (error == http::error::need_more) {
        Read();
        return;
      }
      if (error) {
        Refuse(RefusalStatus(error));
        return;
      }
      if (!headSeen_ && parser_->is_header_done()) {
        headSeen_ = true;
        if (!TakeHead()) {
          return;
        }
      } else if (!parser_->is_done()) {
        Read();
        return;
      }
    }
    Dispatch();
  }

  // Applies the owner's choices for the request's head. False when the
  // request is refused, or the body will be parsed once the client was told
  // to send it.
  bool TakeHead() {
    std::size_t limit = core_.options.maxBodyBytes;
    try {
      limit = core_.hooks.bodyLimit ? core_.hooks.bodyLimit(request_) : limit;
      blocks_ = core_.hooks.blocks && core_.hooks.blocks(request_);
    } catch (...) {
      Refuse(500);
      return false;
    }
    // A transfer coding other than chunks leaves the body's end unknown:
    // its bytes must not be read as the next request.
    if (request_.headers.Has("Transfer-Encoding") && !parser_->chunked()) {
      Refuse(400);
      return false;
    }
    if (const boost::optional<std::uint64_t> length = parser_->content_length();
        length && *length > limit) {
      Refuse(413);
      return false;
    }
    parser_->body_limit(limit);  // a chunked body is counted as it comes
    parser_->eager(true);
    if (!parser_->is_done() && buffer_.size() == 0 && request_.version >= 11 &&
        SameName(request_.headers.Find("Expect"), "100-continue")) {
      asio::async_write(socket_, asio::buffer(ContinueAnswer.data(), ContinueAnswer.size()),
                        [self = shared_from_this()](const error_code& error, std::size_t) {
                          error ? self->Close() : self->Parse();
                        });
      return false;
    }
    return true;
  }

  void Dispatch() {
    keepAlive_ = parser_->keep_alive() && ++served_ < core_.options.maxRequestsPerConnection;
    if (!blocks_) {
      Handle();
      Answer();
      return;
    }
    // The worker touches only the request and the response until it hands
    // the answer back to the connection's strand.
    asio::post(*core_.workers, [self = shared_from_this(), strand = socket_.get_executor()] {
      self->Handle();
      asio::post(strand, [self] { self->Answer(); });
    });
  }

  void Handle() {
    response_.Clear();
    try {
      core_.hooks.handle(request_, response_);
    } catch (...) {
      RenderRefusal(500);
    }
  }

  // The server's own page for status, which the owner may rewrite.
  void RenderRefusal(int status) {
    response_.Clear();
    response_.status = status;
    response_.SetContent(std::to_string(status) + " " + std::string(Reason(status)) + "\n",
                         "text/plain; charset=utf-8");
    if (core_.hooks.errorPage) {
      try {
        core_.hooks.errorPage(request_, response_);
      } catch (...) {
        response_.status = status;
      }
    }
  }

  void Refuse(int status) {
    if (request_.method.empty()) {
      TakeRequestLine();
    }
    RenderRefusal(status);
    keepAlive_ = false;
    Answer();
  }

  // What the log and the refusal page can tell of a request refused before
  // its request line was parsed (the head is parsed once it is whole).
  void TakeRequestLine() {
    const std::string_view bytes(static_cast<const char*>(buffer_.data().data()), buffer_.size());
    const std::string_view line = bytes.substr(0, bytes.find("\r\n"));
    const std::size_t space = line.find(' ');
    request_.method.assign(line.substr(0, space));
    if (space != std::string_view::npos) {
      request_.target.assign(line.substr(space + 1, line.find(' ', space + 1) - space - 1));
      PercentDecodeInto(request_.target.substr(0, request_.target.find('?')), false, request_.path);
    }
  }

  void Answer() {
    WriteHead();
    if (core_.hooks.log) {
      try {
        core_.hooks.log(request_, response_);
      } catch (...) {
      }
    }
    const bool withBody = request_.method != "HEAD";
    const std::array<asio::const_buffer, 2> answer{
        asio::buffer(head_),
        asio::buffer(response_.body.data(), withBody ? response_.body.size() : 0)};
    asio::async_write(socket_, answer,
                      [self = shared_from_this()](const error_code& error, std::size_t) {
                        self->OnAnswered(error);
                      });
  }

  void WriteHead() {
    if (response_.status < 100 || response_.status > 999) {
      RenderRefusal(500);
    }
    char number[24];
    head_.assign("HTTP/1.1 ");
    head_.append(number, std::to_chars(number, number + sizeof(number), response_.status).ptr);
    head_ += ' ';
    head_ += Reason(response_.status);
    head_ += "\r\n";
    for (std::size_t i = 0; i < response_.headers.size(); ++i) {
      const auto [name, value] = response_.headers[i];
      // The server alone frames the answer.
      if (!SameName(name, "Content-Length") && !SameName(name, "Transfer-Encoding") &&
          !SameName(name, "Connection")) {
        head_.append(name).append(": ").append(value).append("\r\n");
      }
    }
    head_ += "Content-Length: ";
    head_.append(number, std::to_chars(number, number + sizeof(number), response_.body.size()).ptr);
    if (!keepAlive_) {
      head_ += "\r\nConnection: close";
    } else if (request_.version < 11) {
      head_ += "\r\nConnection: keep-alive";
    }
    head_ += "\r\n\r\n";
  }

  void OnAnswered(const error_code& error) {
    if (error) {
      Close();
    } else if (!keepAlive_ || core_.stopping) {
      Finish();
    } else {
      GiveBackMemory();
      StartRequest();
    }
  }

  // After a large request or answer, the connection does not keep its size.
  void GiveBackMemory() {
    if (request_.body.capacity() > KeptCapacity) {
      std::string().swap(request_.body);
    }
    if (response_.body.capacity() > KeptCapacity) {
      std::string().swap(response_.body);
    }
    if (buffer_.capacity() > KeptCapacity && buffer_.size() <= HeadReadSize) {
      buffer_.shrink_to_fit();
    }
  }

  // Ends the connection once the client has read the answer: no more is
  // sent, and what it still sends is read and dropped for a moment.
  void Finish() {
    error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_send, ignored);
    SetDeadline(Clock::now() + DrainTime);
    Drain();
  }

  void Drain() {
    buffer_.clear();
    socket_.async_read_some(buffer_.prepare(HeadReadSize),
                            [self = shared_from_this()](const error_code& error, std::size_t) {
                              error ? self->Close() : self->Drain();
                            });
  }

  void Close() {
    if (closed_) {
      return;
    }
    closed_ = true;
    error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    timer_.cancel();
  }

  // The timer waits for the earliest deadline set; a later deadline only
  // moves it on when it goes off, so that most requests do not touch it.
  void SetDeadline(Clock::time_point deadline) {
    deadline_ = deadline;
    if (deadline < armedFor_) {
      Arm(deadline);
    }
  }

  void Arm(Clock::time_point when) {
    armedFor_ = when;
    timer_.expires_at(when);
    timer_.async_wait([self = shared_from_this()](const error_code& error) {
      if (!error && !self->closed_) {
        self->OnTimer();
      }
    });
  }

  void OnTimer() {
    if (Clock::now() >= deadline_) {
      Close();  // pending reads and writes end with an error
    } else {
      Arm(deadline_);
    }
  }

  ServerCore& core_;
  tcp::socket socket_;
  asio::steady_timer timer_;
  Admission admission_;
  beast::flat_buffer buffer_;
  std::optional<RequestParser> parser_;
  Request request_;
  Response response_;
  std::string head_;  // the answer's status line and header lines
  Clock::time_point deadline_;
  Clock::time_point armedFor_ = Clock::time_point::max();
  std::size_t headBytes_ = 0;  // of the request's head, parsed so far
  std::size_t served_ = 0;
  bool requestStarted_ = false;
  bool headSeen_ = false;
  bool blocks_ = false;
  bool keepAlive_ = true;
  bool closed_ = false;
};

}  // namespace

void ServeConnection(ServerCore& core, tcp::socket socket, const tcp::endpoint& peer,
                     Admission admission) {
  std::make_shared<Session>(core, std::move(socket), peer, std::move(admission))->Start();
}

}  // namespace web_server
