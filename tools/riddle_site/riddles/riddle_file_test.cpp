#include "riddles/riddle_file.h"

#include <gtest/gtest.h>

#include "runtime/gbk_utf8.h"
#include "support/temp_dir.h"

namespace riddle_site {
namespace {

// Riddle files are UTF-8, as the literals here; the game gets GBK.
std::string Gbk(std::string_view utf8) {
  return zorvane::Utf8ToGbk(utf8).value();
}

LoadedRiddles Tsv(std::string_view content) {
  return ParseRiddles(content, RiddleFileFormat::Tsv);
}

LoadedRiddles Csv(std::string_view content) {
  return ParseRiddles(content, RiddleFileFormat::Csv);
}

// The line and reason of the first problem, or "no problem".
std::string ProblemOf(const LoadedRiddles& loaded) {
  if (loaded.problems.empty()) {
    return "no problem";
  }
  return std::to_string(loaded.problems.front().line) + ": " +
         loaded.problems.front().reason.english;
}

TEST(RiddleFile, ReadsTsvWithKindsCommentsAHeaderAndWindowsLineEnds) {
  const LoadedRiddles loaded =
      Tsv("\uFEFFquestion\tanswer\tkind\r\n"
          "# comments and blank lines are skipped\r\n"
          "\r\n"
          "十个哥哥\t克\t打一字\r\n"
          "  有面没有口  \t  桌子 \r\n"
          "千条线，万条线\t雨\t");
  ASSERT_EQ(ProblemOf(loaded), "no problem");
  ASSERT_EQ(loaded.riddles.size(), 3u);
  EXPECT_EQ(loaded.riddles[0].question, Gbk("十个哥哥（打一字）"));
  EXPECT_EQ(loaded.riddles[0].answer, Gbk("克"));
  EXPECT_EQ(loaded.riddles[1].question, Gbk("有面没有口"));  // no kind: nothing added
  EXPECT_EQ(loaded.riddles[1].answer, Gbk("桌子"));
  EXPECT_EQ(loaded.riddles[2].question, Gbk("千条线，万条线"));
}

TEST(RiddleFile, ReadsCsvWithQuotedTexts) {
  const LoadedRiddles loaded =
      Csv("谜面,谜底,类别\n"
          "\"一人一张口，口下长只手\",拿,打一字\n"
          "\"他说\"\"嘿, 你好\"\"\", \"手\" ,\n"
          "上下合一,卡\n");
  ASSERT_EQ(ProblemOf(loaded), "no problem");
  ASSERT_EQ(loaded.riddles.size(), 3u);
  EXPECT_EQ(loaded.riddles[0].question, Gbk("一人一张口，口下长只手（打一字）"));
  EXPECT_EQ(loaded.riddles[1].question, Gbk("他说\"嘿, 你好\""));
  EXPECT_EQ(loaded.riddles[1].answer, Gbk("手"));
  EXPECT_EQ(loaded.riddles[2].answer, Gbk("卡"));
}

TEST(RiddleFile, EachReasonIsReportedWithItsLineNumber) {
  struct Case {
    std::string_view content;
    RiddleFileFormat format;
    std::string_view expected;  // line and the start of the reason
  };
  const Case cases[] = {
      {"#\nQ\tA\n\tA\n", RiddleFileFormat::Tsv, "3: the question is empty"},
      {"Q\t  \tK\n", RiddleFileFormat::Tsv, "1: the answer is empty"},
      {"Q,A\n\"Q\nmore\",A\n", RiddleFileFormat::Csv, "2: a quoted text runs on"},
      {"Q\rQ\tA\n", RiddleFileFormat::Tsv, "1: the question holds a line break"},
      {"Q\tA\rA\n", RiddleFileFormat::Tsv, "1: the answer holds a line break"},
      {"Q\tA\n<h3>Q\tA\n", RiddleFileFormat::Tsv, "2: the question holds \"<h3>\""},
      {"Q\tA</h3>\n", RiddleFileFormat::Tsv, "1: the answer holds \"</h3>\""},
      {"看下一篇：<a href='x\tA\n", RiddleFileFormat::Tsv, "1: the question holds \"下一篇"},
      {"Q\tit's'>\n", RiddleFileFormat::Tsv, "1: the answer holds \"'>\""},
      {"Q\tA\t打一字</h3>\n", RiddleFileFormat::Tsv, "1: the question holds \"</h3>\""},
      {"笑一笑😀\tA\n", RiddleFileFormat::Tsv, "1: the question is not valid UTF-8"},
      {"Q\tA\t\U0001F600\n", RiddleFileFormat::Tsv, "1: the kind is not valid UTF-8"},
      {"Q\t\xC3\n", RiddleFileFormat::Tsv, "1: the answer is not valid UTF-8"},
      {"大口套小口\t口\n", RiddleFileFormat::Tsv, "1: the answer stands in its own question"},
      {"Q\t打一字\t打一字\n", RiddleFileFormat::Tsv, "1: the answer stands in its own"},
      {"Q\n", RiddleFileFormat::Tsv, "1: expected 2 or 3 texts (question, answer, kind), found 1"},
      {"Q\tA\tK\tX\n", RiddleFileFormat::Tsv, "1: expected 2 or 3 texts"},
      {"Q,\"A\"B\n", RiddleFileFormat::Csv, "1: text after the closing quote"},
      {"id\tq\ta\n19500\tQ\tA\n19500 deleted\tQ2\tA2\n", RiddleFileFormat::Tsv,
       "3: the id 19500 is given to an earlier riddle too"},
      {"编号,谜面,谜底\n0123,Q,A\n", RiddleFileFormat::Csv, "2: the id \"0123\" is not"},
      {"id\tq\ta\n12 gone\tQ\tA\n", RiddleFileFormat::Tsv, "2: the id \"12 gone\" is not"},
      {"id\tq\ta\n1000000000\tQ\tA\n", RiddleFileFormat::Tsv, "2: the id"},
      {"id\tq\ta\n12\tQ\n", RiddleFileFormat::Tsv, "2: expected 2 or 3 texts"},
      {"谜底：是什么\tA\n", RiddleFileFormat::Tsv, "1: the question holds \"谜底：\""},
      {"Q\tA\t谜底：\n", RiddleFileFormat::Tsv, "1: the question holds \"谜底：\""},
      {"Q\t\"\"\n", RiddleFileFormat::Tsv, "1: the answer does not read back as written"},
      {"Q,\"''\"\n", RiddleFileFormat::Csv, "1: the answer does not read back as written"},
      {"Q\t\"A\"\n", RiddleFileFormat::Tsv, "1: the answer does not read back as written"},
      {"Q\t\v\n", RiddleFileFormat::Tsv, "1: the answer does not read back as written"},
      {"Q\tA\f\n", RiddleFileFormat::Tsv, "1: the answer does not read back as written"},
  };
  for (const Case& c : cases) {
    const LoadedRiddles loaded = ParseRiddles(c.content, c.format);
    const std::string problem = ProblemOf(loaded);
    EXPECT_TRUE(problem.starts_with(c.expected)) << c.content << " gave " << problem;
    // The console shows the Chinese reason.
    EXPECT_TRUE(!loaded.problems.empty() && !loaded.problems.front().reason.chinese.empty())
        << problem;
  }
  // A NUL byte would end the page where the module reads it.
  const std::string withNul("Q\tA\nQ\0Q\tA\n", 10);
  EXPECT_EQ(ProblemOf(ParseRiddles(withNul, RiddleFileFormat::Tsv)),
            "2: the question holds a NUL byte");
  // Quotes and blanks inside an answer read back as they are.
  EXPECT_EQ(ProblemOf(Tsv("Q\t他说\"好\" 吧!\n")), "no problem");
}

TEST(RiddleFile, AWrittenFileReadsBackWithItsIdsAndDeletedRiddles) {
  const std::vector<RiddleEntry> entries = {
      {19500, false, "他说\"嘿, 你好\"", "手", "打一字"},
      {19499, true, "Q", "A,B", ""},
      {7, false, "x", "y", ""},
  };
  for (const RiddleFileFormat format : {RiddleFileFormat::Tsv, RiddleFileFormat::Csv}) {
    const LoadedRiddles loaded = ParseRiddles(WriteRiddleFile(entries, format), format);
    ASSERT_EQ(ProblemOf(loaded), "no problem");
    EXPECT_TRUE(loaded.hasIds);
    ASSERT_EQ(loaded.entries.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(loaded.entries[i].id, entries[i].id) << i;
      EXPECT_EQ(loaded.entries[i].deleted, entries[i].deleted) << i;
      EXPECT_EQ(loaded.entries[i].question, entries[i].question) << i;
      EXPECT_EQ(loaded.entries[i].answer, entries[i].answer) << i;
      EXPECT_EQ(loaded.entries[i].kind, entries[i].kind) << i;
    }
  }
}

TEST(RiddleFile, AMatchAcrossTwoCharactersIsNoAnswerInTheQuestion) {
  // In GBK "天天" is CC EC CC EC, and "焯" is EC CC: its bytes stand in the
  // question, but across two characters. The module searches character by
  // character, so the question does not give the answer away.
  const LoadedRiddles loaded = Tsv("天天向上\t焯\n");
  EXPECT_EQ(ProblemOf(loaded), "no problem");
}

TEST(RiddleFile, AFileThatIsNotUtf8IsReadAsGbkOrGb18030) {
  const std::string riddle = "十个哥哥\t克\t打一字\n";
  const struct {
    const char* what;
    std::string bytes;
    TextEncoding read;
    const char* problem;
  } cases[] = {
      {"UTF-8", riddle, TextEncoding::Utf8, "no problem"},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + riddle, TextEncoding::Utf8, "no problem"},
      {"GBK, as spreadsheets save it", Gbk(riddle), TextEncoding::Gbk, "no problem"},
      // A four-byte character: GB18030 and not GBK, which the game lacks.
      {"GB18030", Gbk("笑") + "\x94\x39\xFC\x36\t" + Gbk("口\n"), TextEncoding::Gb18030,
       "1: the question is not valid UTF-8 or holds a character that GBK lacks"},
      {"none of them", "Q\t\xFF\xFF\n", TextEncoding::Utf8, "1: the answer is not valid UTF-8"},
  };
  for (const auto& c : cases) {
    const LoadedRiddles loaded = ParseRiddleBytes(c.bytes, RiddleFileFormat::Tsv);
    EXPECT_EQ(loaded.encoding, c.read) << c.what;
    EXPECT_TRUE(ProblemOf(loaded).starts_with(c.problem)) << c.what << ": " << ProblemOf(loaded);
  }
  EXPECT_EQ(ParseRiddleBytes(Gbk(riddle), RiddleFileFormat::Tsv).riddles.at(0).question,
            Gbk("十个哥哥（打一字）"));
  // What is not UTF-8, though each of its bytes may look like part of it.
  for (const std::string_view bad :
       {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE5\xBC", "\x80"}) {
    EXPECT_FALSE(IsUtf8(bad)) << zorvane::GbkToUtf8Lenient(bad);
  }
  EXPECT_TRUE(IsUtf8("\xF4\x8F\xBF\xBF 开始"));
}

TEST(RiddleFile, LoadsByTheFilesNameAndReportsFilesItCannotUse) {
  zorvane::testing::TempDir folder;
  zorvane::testing::WriteFileBytes(folder.path() / "mine.CSV", "\"a, b\",c\n");
  const LoadedRiddles csv = LoadRiddleFile((folder.path() / "mine.CSV").string());
  ASSERT_EQ(ProblemOf(csv), "no problem");
  EXPECT_EQ(csv.riddles[0].question, "a, b");

  zorvane::testing::WriteFileBytes(folder.path() / "mine.txt", "\"a, b\"\tc\n");
  EXPECT_EQ(LoadRiddleFile((folder.path() / "mine.txt").string()).riddles[0].question, "\"a, b\"");

  zorvane::testing::WriteFileBytes(folder.path() / "empty.tsv", "# nothing\n\n");
  const LoadedRiddles empty = LoadRiddleFile((folder.path() / "empty.tsv").string());
  EXPECT_EQ(ProblemOf(empty), "0: holds no riddles");

  const std::string missing = (folder.path() / "missing.tsv").string();
  const LoadedRiddles none = LoadRiddleFile(missing);
  ASSERT_EQ(none.problems.size(), 1u);
  EXPECT_EQ(DescribeProblem(missing, none.problems.front()),
            missing + ": cannot be read: No such file or directory");
  EXPECT_EQ(DescribeProblem("r.tsv", {12, {"the answer is empty", "谜底是空的"}}),
            "r.tsv:12: the answer is empty");
}

}  // namespace
}  // namespace riddle_site
