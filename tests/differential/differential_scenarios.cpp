#include "differential_scenarios.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "runtime/gbk_utf8.h"
#include "runtime/settings/settings_encoding.h"

namespace zorvane::differential {

Operation Read(std::string section, std::string key, std::optional<std::string> defaultText) {
  return {Operation::Read, std::move(section), std::move(key), std::move(defaultText)};
}
Operation Write(std::string section, std::string key, std::string value) {
  return {Operation::Write, std::move(section), std::move(key), std::move(value)};
}
Operation DeleteKey(std::string section, std::string key) {
  return {Operation::Write, std::move(section), std::move(key), std::nullopt};
}
Operation DeleteSection(std::string section) {
  return {Operation::Write, std::move(section), std::nullopt, std::nullopt};
}

std::string NativeName(const std::string& gbkName) {
  return GbkToUtf8(gbkName).value_or(gbkName);
}

namespace {

const std::string Utf8Mark = "\xEF\xBB\xBF";

// GBK text as a UTF-16 file with its byte-order mark.
std::string Utf16File(const std::string& gbk, ByteOrder order = ByteOrder::LittleEndian) {
  const std::string mark = order == ByteOrder::LittleEndian ? "\xFF\xFE" : "\xFE\xFF";
  return mark + Utf16FromUtf8(NativeName(gbk), order);
}

// A file in each line-end style, from a text written with "\n".
std::string WithLineEnds(const std::string& text, const std::string& lineEnd) {
  std::string out;
  for (const char c : text) {
    out += c == '\n' ? lineEnd : std::string(1, c);
  }
  return out;
}

void AddLineEndScenarios(std::vector<Scenario>& all) {
  const std::string text = "[a]\nk=1\nj=2\n\n[b]\nk=3\n";
  const std::vector<std::pair<std::string, std::string>> styles = {
      {"crlf", "\r\n"}, {"lf", "\n"}, {"cr", "\r"}, {"lfcr", "\n\r"}};
  for (const auto& [style, end] : styles) {
    const std::string file = WithLineEnds(text, end);
    all.push_back({style + " reads", file, {Read("a", "k"), Read("a", "j"), Read("b", "k")}});
    all.push_back({style + " replace", file, {Write("a", "k", "9")}});
    all.push_back({style + " add key", file, {Write("a", "n", "new")}});
    all.push_back({style + " add section", file, {Write("c", "k", "4")}});
    all.push_back({style + " delete key", file, {DeleteKey("a", "j")}});
    all.push_back({style + " delete section", file, {DeleteSection("a"), Read("b", "k")}});
  }
  all.push_back({"mixed line ends", "[a]\r\nk=1\n[b]\rk=2\r\n", {Read("a", "k"), Read("b", "k")}});
  all.push_back({"no final line end", "[a]\r\nk=1", {Write("a", "j", "2")}});
  all.push_back({"no final line end new section", "[a]\nk=1", {Write("b", "j", "2")}});
}

void AddEncodingScenarios(std::vector<Scenario>& all) {
  const std::string text = "[开始]\r\n结尾=/a.html\r\n答案=中文\r\n";
  const std::vector<std::pair<std::string, std::string>> forms = {
      {"gbk", text},
      {"utf-8 bom", Utf8Mark + NativeName(text)},
      {"utf-16 bom", Utf16File(text)},
      {"utf-16 big-endian bom", Utf16File(text, ByteOrder::BigEndian)}};
  for (const auto& [form, file] : forms) {
    all.push_back({form + " reads", file, {Read("开始", "结尾"), Read("开始", "答案")}});
    all.push_back({form + " replace", file, {Write("开始", "答案", "谜底")}});
    all.push_back({form + " add", file, {Write("新", "键", "值 1")}});
    all.push_back({form + " delete", file, {DeleteKey("开始", "结尾")}});
  }
  all.push_back(
      {"utf-8 bom ascii", Utf8Mark + "[s]\r\nk=1\r\n", {Read("s", "k"), Write("s", "k", "2")}});
  std::string chinese;
  for (int i = 0; i < 6000; ++i) {
    chinese += "中";
  }
  all.push_back(
      {"utf-16 bom long value", Utf16File("[s]\r\nk=" + chinese + "\r\n"), {Read("s", "k")}});
  all.push_back({"utf-8 bom only", Utf8Mark, {Write("s", "k", "中")}});
  all.push_back(
      {"utf-8 without bom", NativeName("[中]\r\nk=文\r\n"), {Read(NativeName("中"), "k")}});
}

void AddLayoutScenarios(std::vector<Scenario>& all) {
  const std::string layout =
      "top=preamble\r\n"
      "[ Game ]  trailing text\r\n"
      "; note=comment\r\n"
      "# hash=1\r\n"
      "no equals sign\r\n"
      "  Key  =  spaced value  \r\n"
      "\tTab\t=\tx\t\r\n"
      "empty=\r\n"
      "two==b\r\n"
      "=nameless\r\n"
      "[open\r\n"
      "after=open\r\n"
      "[a]]b]\r\n"
      "k=last bracket\r\n"
      "[]\r\n"
      "k=empty name\r\n";
  all.push_back(
      {"layout names",
       layout,
       {Read("game", "key"), Read("  GAME ", " KEY "), Read("Game", "tab"), Read("Game", "; note"),
        Read("Game", "# hash"), Read("Game", "no equals sign", "d"), Read("Game", "top"),
        Read("Game", "after"), Read("a]]b", "k"), Read("a", "k")}});
  all.push_back({"layout values",
                 layout,
                 {Read("Game", "empty", "d"), Read("Game", "two"), Read("Game", "missing", "d")}});
  all.push_back({"empty names", layout, {Read("Game", "", "d"), Read("", "k", "d")}});
  all.push_back({"layout write valueless", layout, {Write("Game", "no equals sign", "5")}});
  all.push_back({"layout write semicolon", layout, {Write("Game", "; note", "6")}});
  all.push_back({"layout write spaced", layout, {Write("game", "KEY", "v")}});
  all.push_back({"layout delete section", layout, {DeleteSection("Game"), Read("a]]b", "k")}});
  all.push_back({"blank lines kept",
                 "[a]\r\nk=1\r\n\r\n\r\n[b]\r\nk=2\r\n",
                 {Write("a", "n", "3"), Read("b", "k")}});
  all.push_back({"blanks around written names",
                 "[s]\r\nk=1\r\n",
                 {Write(" s ", " k ", "v"), Read("s", "k")}});
  all.push_back({"header with trailing text write", "[s] x\r\nk=1\r\n", {Write("s", "k", "2")}});
  all.push_back(
      {"key before any section", "k=1\r\n[s]\r\nj=2\r\n", {Read("s", "k"), Write("s", "k", "3")}});
  all.push_back({"gbk trail bytes",
                 "[\x81]x]\r\nk=bracket\r\n[中文Ab]\r\n键=值\r\n",
                 {Read("\x81]x", "k"), Read("中文aB", "键"), Write("中文AB", "键", "新")}});
  all.push_back({"lone lead byte in file", "[s]\r\nk=ab\xB0\r\n", {Read("s", "k")}});
  // 0x80 (the euro sign) and 0xFF are characters of their own in code page 936.
  all.push_back({"bytes 0x80 and 0xFF",
                 "[s]\r\nk=\x80\r\nj=a\xFF\r\n",
                 {Read("s", "k"), Read("s", "j"), Write("s", "n", "\x80"), Write("s", "m", "b\xFF"),
                  Write("s", "e\xFF", "1"), Read("s", "n"), Read("s", "m")}});
}

void AddValueScenarios(std::vector<Scenario>& all) {
  const std::string quotes =
      "[q]\r\ndq=\"quoted \"\r\nsq='x'\r\nmixed=\"x'\r\nlone=\"\r\nempty=\"\"\r\n"
      "outer=  \"in\"  \r\ninner=a\"b\"\r\n";
  all.push_back({"quotes",
                 quotes,
                 {Read("q", "dq"), Read("q", "sq"), Read("q", "mixed"), Read("q", "lone"),
                  Read("q", "empty", "d"), Read("q", "outer"), Read("q", "inner")}});
  all.push_back(
      {"write blanks and quotes",
       "[s]\r\n",
       {Write("s", "lead", "  v"), Write("s", "trail", "v  "), Write("s", "quoted", "\"v\""),
        Write("s", "single", "'v'"), Write("s", "empty", "")}});
  all.push_back({"write value with signs", "", {Write("s", "k", "a=b;c[d]#e")}});
  all.push_back({"write equal after trim", "[s]\r\nk =  80 \r\n", {Write("s", "k", " 80")}});
  all.push_back({"write equal quoted", "[s]\r\nk=\"80\"\r\n", {Write("s", "k", "80")}});
  all.push_back({"empty value stays a key",
                 "[开始]\r\n答案=x\r\n",
                 {Write("开始", "答案", ""), Read("开始", "答案", "d")}});
  all.push_back({"default blanks", "", {Read("s", "k", " d \t "), Read("s", "k", "")}});
  all.push_back({"control bytes before names",
                 "[sec]\r\nkey=v\r\n",
                 {Read("\x01 sec", "\n key"), Read("sec ", "key\t"), Read(" \t", "key", "d")}});
  const std::string ascii(10238, 'x');
  const std::string longFile = "[s]\r\nfit=" + ascii + "y\r\nover=" + ascii + "yz\r\nodd=" + ascii +
                               "中\r\neven=" + ascii.substr(1) + "中\r\nquoted=\"" + ascii +
                               "yz\"\r\n";
  all.push_back({"long values",
                 longFile,
                 {Read("s", "fit"), Read("s", "over"), Read("s", "odd"), Read("s", "even"),
                  Read("s", "quoted"), Read("s", "none", ascii + "中")}});
  all.push_back({"long write", "", {Write("s", "k", std::string(12000, 'v'))}});
  all.push_back({"number texts as values",
                 "",
                 {Write("s", "a", "1e+020"), Write("s", "b", "-3.5"), Write("s", "c", "0.3")}});
  all.push_back(
      {"same key again and again",
       "[s]\r\nk=0\r\n",
       {Write("s", "k", "1"), Write("s", "k", "2"), Write("s", "k", "2"), Write("s", "k", "3")}});
  std::string chinese;
  for (int i = 0; i < 6000; ++i) {
    chinese += "中";
  }
  all.push_back({"long chinese", "[s]\r\nk=" + chinese + "\r\n", {Read("s", "k")}});
}

void AddDuplicateAndCaseScenarios(std::vector<Scenario>& all) {
  const std::string dup = "[s]\r\nk=1\r\nK=2\r\n[S]\r\nk=3\r\nnew=4\r\n";
  all.push_back({"duplicates read", dup, {Read("s", "k"), Read("s", "new", "d")}});
  all.push_back({"duplicates write", dup, {Write("S", "K", "9")}});
  all.push_back({"duplicates delete key", dup, {DeleteKey("s", "k")}});
  all.push_back({"duplicates delete section", dup, {DeleteSection("s"), Read("s", "new", "d")}});
  all.push_back(
      {"case of names", "[Sec]\r\nKey=1\r\n", {Read("SEC", "key"), Write("sec", "KEY", "2")}});
  all.push_back({"full-width letters", "[Ａ]\r\nk=1\r\n", {Read("ａ", "k", "d")}});
  all.push_back({"greek letters", "[Α]\r\nk=1\r\n", {Read("α", "k", "d")}});
}

void AddFileScenarios(std::vector<Scenario>& all) {
  all.push_back(
      {"new file", std::nullopt, {Write("开始", "结尾", "/a.html"), Write("开始", "答案", "")}});
  all.push_back({"missing file read", std::nullopt, {Read("s", "k", "0")}});
  all.push_back({"missing file delete key", std::nullopt, {DeleteKey("s", "k")}});
  all.push_back({"missing file delete section", std::nullopt, {DeleteSection("s")}});
  all.push_back({"missing folder write", std::nullopt, {Write("s", "k", "1")}, Setup::NoFolder});
  all.push_back({"missing folder read", std::nullopt, {Read("s", "k", "d")}, Setup::NoFolder});
  all.push_back({"missing folder delete", std::nullopt, {DeleteKey("s", "k")}, Setup::NoFolder});
  all.push_back(
      {"missing folder delete section", std::nullopt, {DeleteSection("s")}, Setup::NoFolder});
  all.push_back({"read-only file",
                 "[s]\r\nk=1\r\n",
                 {Read("s", "k"), Write("s", "k", "2")},
                 Setup::ReadOnly});
  all.push_back({"read-only unchanged", "[s]\r\nk=1\r\n", {Write("s", "k", "1")}, Setup::ReadOnly});
  all.push_back({"directory in place",
                 std::nullopt,
                 {Read("s", "k", "d"), Write("s", "k", "1")},
                 Setup::Directory});
  all.push_back({"empty file", "", {Read("s", "k", "d"), Write("s", "k", "1")}});
  all.push_back(
      {"delete missing key", "[s]\r\nk=1\r\n", {DeleteKey("s", "j"), DeleteKey("t", "k")}});
  all.push_back({"delete missing section", "[s]\r\nk=1\r\n", {DeleteSection("t")}});
  all.push_back(
      {"delete last key", "[s]\r\nk=1\r\n[t]\r\nj=2\r\n", {DeleteKey("s", "k"), Read("t", "j")}});
  all.push_back({"chinese file name",
                 std::nullopt,
                 {Write("1--123", "总共人民币", "80")},
                 Setup::File,
                 "签到数据123.ini"});
  all.push_back({"chinese file name read",
                 "[1--123]\r\n总共人民币=50\r\n",
                 {Read("1--123", "总共人民币")},
                 Setup::File,
                 "签到数据123.ini"});
}

// The sign-in data file as the game uses it: balances read and rewritten.
void AddLedgerScenarios(std::vector<Scenario>& all) {
  std::string ledger;
  for (int member = 0; member < 50; ++member) {
    ledger += std::string("[") + std::to_string(1000 + member) +
              "--123]\r\n总共人民币=" + std::to_string(20 + member) +
              ".5\r\n签到天数=" + std::to_string(member) + "\r\n";
  }
  all.push_back({"ledger first member", ledger, {Write("1000--123", "总共人民币", "17.5")}});
  all.push_back({"ledger last member", ledger, {Write("1049--123", "总共人民币", "75")}});
  all.push_back({"ledger new member", ledger, {Write("2000--123", "总共人民币", "30")}});
  all.push_back({"ledger prefix of a member",
                 ledger,
                 {Read("100--123", "总共人民币", "d"), Write("100--123", "总共人民币", "1")}});
  all.push_back({"ledger member in a value",
                 "[s]\r\nnote=1000--123\r\n[1000--123]\r\n总共人民币=5\r\n",
                 {Read("1000--123", "总共人民币"), Write("1000--123", "总共人民币", "6")}});
}

// Writes that this engine refuses on purpose.
void AddRefusalScenarios(std::vector<Scenario>& all) {
  all.push_back({"refused line breaks",
                 "[s]\r\nk=1\r\n",
                 {Write("s", "k", "1\r\n[evil]\r\nk=2"), Read("evil", "k", "d")}});
  all.push_back({"refused bracket section", "[s]\r\nk=1\r\n", {Write("s]x", "k", "1")}});
  all.push_back({"refused semicolon key", "[s]\r\nk=1\r\n", {Write("s", ";k", "1")}});
  all.push_back({"refused bracket key", "[s]\r\nk=1\r\n", {Write("s", "[t]", "1")}});
  all.push_back({"refused lone lead section", "[s]\r\nk=1\r\n", {Write("ab\xB0", "k", "1")}});
  all.push_back({"refused lone lead key", "[s]\r\nk=1\r\n", {Write("s", "k\xB0", "1")}});
  all.push_back({"lone lead value", "[s]\r\nk=1\r\n", {Write("s", "k", "ab\xB0")}});
}

}  // namespace

std::vector<Scenario> SettingsScenarios() {
  std::vector<Scenario> all;
  AddLineEndScenarios(all);
  AddEncodingScenarios(all);
  AddLayoutScenarios(all);
  AddValueScenarios(all);
  AddDuplicateAndCaseScenarios(all);
  AddFileScenarios(all);
  AddLedgerScenarios(all);
  AddRefusalScenarios(all);
  return all;
}

std::map<std::string, std::string> KnownDifferences() {
  const std::string readRules =
      "ReadSetting skips the bytes 1 to 32 at the start of the names and answers an empty name "
      "with the empty text before it reaches the API; the probe calls the API directly";
  const std::string refusal =
      "refused on purpose: the write could add lines, sections or keys, or could not be read "
      "back (Windows writes it)";
  return {
      {"empty names", readRules},
      {"control bytes before names", readRules},
      {"read-only file",
       "Wine running as root writes a file without write permission; Windows refuses a "
       "read-only file, and so do we"},
      {"lone lead byte in file",
       "a value that ends in a lone GBK first byte reads without it, as on Windows; Wine reads "
       "it as \"?\""},
      {"layout write semicolon", refusal},
      {"refused line breaks", refusal},
      {"refused bracket section", refusal},
      {"refused semicolon key", refusal},
      {"refused bracket key", refusal},
      {"refused lone lead section", refusal},
      {"refused lone lead key", refusal},
  };
}

std::vector<double> NumberScenarios() {
  std::vector<double> values;
  for (int i = -50; i <= 150; i += 1) {
    values.push_back(i);
  }
  for (int i = 0; i < 120; ++i) {
    values.push_back(20 + i * 0.37);  // balances with fractions
    values.push_back(-(i * 1.1));
  }
  for (int e = -20; e <= 25; ++e) {
    values.push_back(std::pow(10.0, e));
    values.push_back(-std::pow(10.0, e) * 3);
  }
  // Exact decimal ties at the 14th significant digit, and their neighbours.
  for (const double tie : {1234567890122.5, 1234567890123.5, 9999999999999.5, 12345678901225.0,
                           12345678901235.0, 0.5, 2.5, 1.5, 1000000000000.5, 4503599627370495.5}) {
    values.push_back(tie);
    values.push_back(-tie);
    values.push_back(std::nextafter(tie, 0.0));
    values.push_back(std::nextafter(tie, 1e300));
  }
  for (const double edge :
       {std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
        std::numeric_limits<double>::max(), std::numeric_limits<double>::epsilon(), 1e-310,
        2.2250738585072009e-308, 1.7976931348623157e308 / 3, 0.1 + 0.2, 2.0 / 3.0, 1e15, 1e16,
        123456789012345678.0, 0.000123456, 0.00001}) {
    values.push_back(edge);
    values.push_back(-edge);
  }
  return values;
}

std::vector<std::string> NumberTextScenarios() {
  std::vector<std::string> texts = {"",
                                    "80",
                                    "   42",
                                    "42abc",
                                    "+.5",
                                    "1e+020",
                                    "1e020",
                                    "1d2",
                                    "1D-2",
                                    "1e",
                                    "1e+",
                                    "-",
                                    ".",
                                    "-.e1",
                                    "\t\n12",
                                    "0x10",
                                    "inf",
                                    "nan",
                                    "1e999",
                                    "-1e999",
                                    "1e-400",
                                    "4.9406564584124654e-324",
                                    "2.2250738585072011e-308",
                                    "1.7976931348623157e308",
                                    "9007199254740993",
                                    "0.1",
                                    "80.5",
                                    "17.5",
                                    "00012",
                                    "1.2.3",
                                    "--1",
                                    "+-1",
                                    " +7",
                                    "1234567890123",
                                    "1.234567890123e+013",
                                    "123456789012345678901234567890"};
  for (const double value : NumberScenarios()) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    texts.push_back(text);
  }
  return texts;
}

std::vector<std::uint32_t> RandomSeeds() {
  return {0, 1, 2, 1000, 1332, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 123456789};
}

}  // namespace zorvane::differential
