// Requests and responses without a connection: form fields, uploads,
// routes, header fields and the log's escaping.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "form_fields.h"
#include "router.h"

namespace web_server {
namespace {

TEST(FormFields, EncodedTextIsDecoded) {
  const struct {
    const char* encoded;
    bool plusIsSpace;
    const char* decoded;
  } cases[] = {
      {"a%20b+c", false, "a b+c"}, {"a%20b+c", true, "a b c"}, {"%E8%B0%9C%e8%b0%9c", true, "谜谜"},
      {"100%", true, "100%"},      {"%zz%4", true, "%zz%4"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PercentDecode(c.encoded, c.plusIsSpace), std::string(c.decoded)) << c.encoded;
  }
  EXPECT_EQ(PercentDecode("%00x", true), std::string("\0x", 2));
}

TEST(FormFields, ValuesAreFoundByTheirDecodedName) {
  const struct {
    const char* encoded;
    const char* name;
    std::optional<std::string> value;
  } cases[] = {
      {"a=1&b=2", "b", "2"},
      {"a=1&a=2", "a", "1"},
      {"q=%E7%8C%9C+%E8%B0%9C", "q", "猜 谜"},
      {"csrf&x=1", "csrf", ""},
      {"a%5Bb%5D=3", "a[b]", "3"},
      {"ab=1", "a", std::nullopt},
      {"", "a", std::nullopt},
      {"a=1&&b=", "b", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodedValue(c.encoded, c.name), c.value) << c.encoded << " " << c.name;
  }
}

TEST(FormFields, TheFormOfAPostIsReadByItsContentType) {
  Request request;
  request.target = "/save?id=7";
  request.body = "answer=%E5%85%8B&id=8";
  EXPECT_EQ(QueryValue(request, "id"), "7");
  EXPECT_EQ(FormValue(request, "answer"), std::nullopt);  // no form content type
  request.headers.Add("content-type", "application/x-www-form-urlencoded; charset=UTF-8");
  EXPECT_EQ(FormValue(request, "answer"), "克");
  EXPECT_EQ(FormValue(request, "id"), "8");
}

TEST(FormFields, MultipartPartsAreFoundByName) {
  const std::string type = "multipart/form-data; boundary=XyZ";
  const std::string body =
      "preamble\r\n--XyZ\r\n"
      "Content-Disposition: form-data; name=\"csrf\"\r\n\r\ntoken\r\n"
      "--XyZ\r\n"
      "Content-Disposition: form-data; name=\"file\"; filename=\"a;b \\\"c\\\".csv\"\r\n"
      "Content-Type: text/csv\r\n\r\nq,a\r\n--X\r\n\r\n"
      "--XyZ--\r\n";
  const std::optional<FormPart> file = MultipartPart(type, body, "file");
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->filename, "a;b \"c\".csv");
  EXPECT_EQ(file->contentType, "text/csv");
  EXPECT_EQ(file->content, "q,a\r\n--X\r\n");
  const std::optional<FormPart> field = MultipartPart(type, body, "csrf");
  ASSERT_TRUE(field.has_value());
  EXPECT_EQ(field->content, "token");
  EXPECT_FALSE(field->filename.has_value());

  const struct {
    const char* what;
    std::string type;
    std::string body;
  } unreadable[] = {
      {"no such part", type,
       "--XyZ\r\nContent-Disposition: form-data; name=\"csrf\"\r\n\r\ntoken\r\n--XyZ--"},
      {"no boundary", "multipart/form-data", body},
      {"another type", "text/plain; boundary=XyZ", body},
      {"cut short", type, body.substr(0, body.find("q,a"))},
      {"a part without a name", type, "--XyZ\r\nContent-Type: text/plain\r\n\r\nx\r\n--XyZ--"},
  };
  for (const auto& c : unreadable) {
    EXPECT_EQ(MultipartPart(c.type, c.body, "file"), std::nullopt) << c.what;
  }

  Request request;
  request.headers.Add("Content-Type", "multipart/form-data; boundary=\"XyZ\"");
  request.body = body;
  EXPECT_EQ(FormValue(request, "csrf"), "token");
  EXPECT_EQ(FormFile(request, "file")->content, "q,a\r\n--X\r\n");
  EXPECT_EQ(FormFile(request, "csrf"), std::nullopt);  // a field, not a file
}

TEST(Router, ARequestFindsTheRouteOfItsMethodAndPath) {
  Router router;
  auto named = [](const char* name) {
    return [name](const Request&, Response& response) { response.body = name; };
  };
  router.Get("/", named("index"));
  router.Prefix("GET", "/pages/", named("page"));
  router.Prefix("GET", "/pages/special/", named("special"));
  router.Get("/pages/exact", named("exact"));
  router.Post("/pages/exact", named("save"), Runs::OnWorkers);
  const struct {
    const char* method;
    const char* path;
    const char* handler;
    int status;
    bool blocks;
  } cases[] = {
      {"GET", "/", "index", 200, false},
      {"HEAD", "/", "index", 200, false},
      {"GET", "/pages/1.html", "page", 200, false},
      {"GET", "/pages/special/1", "special", 200, false},
      {"GET", "/pages/exact", "exact", 200, false},
      {"POST", "/pages/exact", "save", 200, true},
      {"POST", "/", "404 Not Found\n", 404, false},
      {"GET", "/pages", "404 Not Found\n", 404, false},
      {"DELETE", "/pages/exact", "404 Not Found\n", 404, false},
  };
  for (const auto& c : cases) {
    Request request;
    request.method = c.method;
    request.path = c.path;
    Response response;
    router.Handle(request, response);
    EXPECT_EQ(response.body, c.handler) << c.method << " " << c.path;
    EXPECT_EQ(response.status, c.status) << c.method << " " << c.path;
    EXPECT_EQ(router.Blocks(request), c.blocks) << c.method << " " << c.path;
  }

  router.SetFallback([](const Request&, Response& response) { response.body = "gone"; });
  Request request;
  request.method = "GET";
  request.path = "/elsewhere";
  Response response;
  router.Handle(request, response);
  EXPECT_EQ(response.status, 404);
  EXPECT_EQ(response.body, "gone");
}

TEST(Messages, HeaderFieldsAreNamedWithoutCaseAndCannotSplitTheHead) {
  Response response;
  response.SetHeader("Location", "/a");
  response.SetHeader("location", "/b");
  response.SetHeader("Set-Cookie", "a=1\r\nSet-Cookie: admin=1");
  response.SetHeader("X-Bad\n", "1");
  response.SetHeader("X-Nul", std::string("a\0b", 3));
  EXPECT_FALSE(response.headers.Add("X-Forged", "1\r\n\r\n<script>"));
  ASSERT_EQ(response.headers.size(), 1U);
  EXPECT_EQ(response.headers.Find("LOCATION"), "/b");
  EXPECT_FALSE(response.headers.Has("Set-Cookie"));

  Request request;
  request.headers.Add("Cookie", "a");
  request.headers.Add("cookie", "b");
  EXPECT_EQ(request.headers.Find("COOKIE"), "a");
  request.Clear();
  EXPECT_EQ(request.headers.size(), 0U);
  EXPECT_EQ(request.headers.Find("Cookie"), "");
}

TEST(Messages, LogTextHasNoControlBytes) {
  const struct {
    std::string text;
    const char* logged;
  } cases[] = {
      {"/a\nforged 404", "/a\\x0Aforged 404"},
      {"\x1B[2J\r\t", "\\x1B[2J\\x0D\\x09"},
      {"a\\x0A", "a\\\\x0A"},
      {std::string("\0\x7F", 2), "\\x00\\x7F"},
      {"\xC2\x85\xC2\xA0谜", "\\x85\xC2\xA0谜"},  // C1 NEL escaped, NBSP kept
      {"\xC2", "\xC2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeForLog(c.text), c.logged) << c.logged;
  }
}

}  // namespace
}  // namespace web_server
