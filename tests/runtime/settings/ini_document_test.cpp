#include "runtime/settings/ini_document.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvane::ini {
namespace {

std::string Found(TextView content, TextView section, TextView key) {
  const std::optional<TextView> value = FindValue(content, section, key);
  return value ? std::string(*value) : std::string("<none>");
}

std::string Edited(TextView content, const std::optional<Edit>& edit) {
  return edit ? std::string(Applied(content, *edit)) : std::string("<unchanged>");
}

std::string AfterSetValue(TextView content, TextView section, TextView key, TextView value) {
  return Edited(content, SetValue(content, section, key, value));
}

std::string AfterDeleteKey(TextView content, TextView section, TextView key) {
  return Edited(content, DeleteKey(content, section, key));
}

std::string AfterDeleteSection(TextView content, TextView section) {
  return Edited(content, DeleteSection(content, section));
}

TEST(IniDocument, ReadsKeyLinesAsWindowsWritesThem) {
  const std::string file =
      "top=preamble\r\n"
      "[ Game ]  trailing text\r\n"
      "; note=comment\r\n"
      "no equals sign\r\n"
      "  Key  =  spaced value  \r\n"
      "empty=\r\n"
      "dq=\"quoted \"\r\n"
      "sq='x'\r\n"
      "mixed=\"x'\r\n"
      "lone=\"\r\n"
      "two==b\r\n"
      "[open\r\n"
      "after=open\r\n"
      "[next]\r\n"
      "last=no line break";
  EXPECT_EQ(Found(file, "game", "key"), "spaced value");
  EXPECT_EQ(Found(file, "  GAME ", " KEY "), "spaced value");
  EXPECT_EQ(Found(file, "Game", "empty"), "");
  EXPECT_EQ(Found(file, "Game", "dq"), "quoted ");
  EXPECT_EQ(Found(file, "Game", "sq"), "x");
  EXPECT_EQ(Found(file, "Game", "mixed"), "\"x'");
  EXPECT_EQ(Found(file, "Game", "lone"), "\"");
  EXPECT_EQ(Found(file, "Game", "two"), "=b");
  // A "[" line without "]" is no header: the section goes on past it.
  EXPECT_EQ(Found(file, "Game", "after"), "open");
  EXPECT_EQ(Found(file, "next", "last"), "no line break");
  // As to Windows, ";" starts no comment: the line is a key like any other.
  EXPECT_EQ(Found(file, "Game", "; note"), "comment");
  EXPECT_EQ(Found(file, "Game", "no equals sign"), "<none>");
  EXPECT_EQ(Found(file, "Game", "top"), "<none>");
  EXPECT_EQ(Found(file, "next", "key"), "<none>");
  EXPECT_EQ(Found(file, "", "top"), "<none>");
}

TEST(IniDocument, MatchesNamesByAsciiCaseButTwoByteCharactersExactly) {
  // 0x81 0x41 and 0x81 0x61 are different characters whose second bytes
  // look like "A" and "a"; "中" and "文" are plain two-byte characters.
  const std::string file =
      "[中文Ab\x81\x41]\nk=first\n"
      "[中文Ab\x81\x61]\nk=second\n"
      "[\x81]x]\nk=bracket\n";
  EXPECT_EQ(Found(file, "中文aB\x81\x41", "K"), "first");
  EXPECT_EQ(Found(file, "中文AB\x81\x61", "k"), "second");
  EXPECT_EQ(Found(file, "中文ab\x81\x41", "k"), "first");
  // "]" as the second byte of a character does not close the header.
  EXPECT_EQ(Found(file, "\x81]x", "k"), "bracket");
  // Nor does "[" as a second byte open one.
  const std::string trailBracket = "[a]\n\x81[b]\nk=\x81[c]\n \t[d]\nk=d\n";
  EXPECT_EQ(Found(trailBracket, "a", "k"), "\x81[c]");
  EXPECT_EQ(Found(trailBracket, "b", "k"), "<none>");
  EXPECT_EQ(Found(trailBracket, "d", "k"), "d");
  EXPECT_TRUE(NamesEqual("\xC4\xE3Z", "\xC4\xE3z"));
  EXPECT_FALSE(NamesEqual("\xC4\xE3", "\xE4\xE3"));
}

TEST(IniDocument, EndsLinesAtCrLfOrBoth) {
  const std::string cr = "[s]\rk=1\rj=2\r";
  EXPECT_EQ(Found(cr, "s", "k"), "1");
  EXPECT_EQ(Found(cr, "s", "j"), "2");
  // The changed line keeps its CR; a new line is ended like the first one.
  EXPECT_EQ(AfterSetValue(cr, "s", "k", "3"), "[s]\rk=3\rj=2\r");
  EXPECT_EQ(AfterSetValue(cr, "s", "n", "4"), "[s]\rk=1\rj=2\rn=4\r");
  EXPECT_EQ(AfterDeleteKey(cr, "s", "k"), "[s]\rj=2\r");
  const std::string mixed = "[a]\r\nk=1\n\r[b]\rk=2\r\n";
  EXPECT_EQ(Found(mixed, "a", "k"), "1");
  EXPECT_EQ(Found(mixed, "b", "k"), "2");
  EXPECT_EQ(AfterDeleteSection(mixed, "a"), "[b]\rk=2\r\n");
}

TEST(IniDocument, HeaderNamesEndAtTheLastBracket) {
  const std::string file = "[a]]b]\nk=1\n[p] q\nk=2\n[\x81]\nk=3\n";
  EXPECT_EQ(Found(file, "a]]b", "k"), "1");
  EXPECT_EQ(Found(file, "a", "k"), "<none>");
  EXPECT_EQ(Found(file, "p", "k"), "2");
  // In GBK text the "]" after 0x81 is part of a character; in UTF-8 it is not.
  EXPECT_EQ(Found(file, "\x81", "k"), "<none>");
  EXPECT_EQ(FindValue(file, "\x81", "k", Encoding::Utf8).value_or("<none>"), "3");
}

TEST(IniDocument, LinesWithoutEqualsSignAreKeysWithoutValue) {
  const std::string file = "[s]\r\nflag\r\nk=1\r\n";
  EXPECT_EQ(Found(file, "s", "flag"), "<none>");
  // Writing the key turns its line into a key line, in place.
  EXPECT_EQ(AfterSetValue(file, "s", "flag", "on"), "[s]\r\nflag=on\r\nk=1\r\n");
  EXPECT_EQ(AfterDeleteKey(file, "s", "flag"), "[s]\r\nk=1\r\n");
}

TEST(IniDocument, AValueEqualApartFromBlanksChangesNothing) {
  const std::string file = "[s]\r\nk =  80 \r\nq=\"x\"\r\n";
  EXPECT_EQ(AfterSetValue(file, "s", "k", "80"), "<unchanged>");
  EXPECT_EQ(AfterSetValue(file, "s", "k", " 80\t"), "<unchanged>");
  EXPECT_EQ(AfterSetValue(file, "s", "k", "81"), "[s]\r\nk=81\r\nq=\"x\"\r\n");
  // Quotes are part of what is stored.
  EXPECT_EQ(AfterSetValue(file, "s", "q", "x"), "[s]\r\nk =  80 \r\nq=x\r\n");
}

TEST(IniDocument, FirstOfDuplicatesWinsForReadsAndEdits) {
  const std::string file = "[s]\nk=1\nK=2\n[S]\nk=3\nnew=4\n";
  EXPECT_EQ(Found(file, "s", "k"), "1");
  EXPECT_EQ(Found(file, "s", "new"), "<none>");
  EXPECT_EQ(AfterSetValue(file, "S", "k", "9"), "[s]\nk=9\nK=2\n[S]\nk=3\nnew=4\n");
  EXPECT_EQ(AfterDeleteKey(file, "s", "k"), "[s]\nK=2\n[S]\nk=3\nnew=4\n");
  EXPECT_EQ(AfterDeleteSection(file, "s"), "[S]\nk=3\nnew=4\n");
}

TEST(IniDocument, SetValueChangesOnlyItsOwnLine) {
  const std::string file = "; head\r\n[a]\r\n  Money = 1 \r\nother=x\r\n\r\n[b]\r\nk=v\r\n";
  // The line takes the file's spelling of the name and keeps its line break.
  EXPECT_EQ(AfterSetValue(file, "A", "money", "25"),
            "; head\r\n[a]\r\nMoney=25\r\nother=x\r\n\r\n[b]\r\nk=v\r\n");
  EXPECT_EQ(AfterSetValue(file, "a", "other", ""),
            "; head\r\n[a]\r\n  Money = 1 \r\nother=\r\n\r\n[b]\r\nk=v\r\n");
  // A new key follows the section's last non-blank line, before the blank separator.
  EXPECT_EQ(AfterSetValue(file, "a", "new", " v "),
            "; head\r\n[a]\r\n  Money = 1 \r\nother=x\r\nnew= v \r\n\r\n[b]\r\nk=v\r\n");
  EXPECT_EQ(AfterSetValue(file, " c ", " k ", "1"), file + "[c]\r\nk=1\r\n");
  EXPECT_EQ(AfterSetValue("[b]\r\nk=v\r\n", "b", "k", "v"), "<unchanged>");
  EXPECT_EQ(AfterSetValue(file, "", "k", "1"), "<unchanged>");
}

TEST(IniDocument, NewLinesFollowTheFilesLineBreaks) {
  EXPECT_EQ(AfterSetValue("", "开始", "结尾", "x"), "[开始]\r\n结尾=x\r\n");
  EXPECT_EQ(AfterSetValue("[a]\nk=1\n", "a", "j", "2"), "[a]\nk=1\nj=2\n");
  EXPECT_EQ(AfterSetValue("[a]\nk=1\n", "b", "j", "2"), "[a]\nk=1\n[b]\nj=2\n");
  // A last line without a line break gets one before anything is added.
  EXPECT_EQ(AfterSetValue("[a]\r\nk=1", "a", "j", "2"), "[a]\r\nk=1\r\nj=2\r\n");
  EXPECT_EQ(AfterSetValue("[a]\r\nk=1", "b", "j", "2"), "[a]\r\nk=1\r\n[b]\r\nj=2\r\n");
  EXPECT_EQ(AfterSetValue("[a]", "a", "j", "2"), "[a]\r\nj=2\r\n");
  EXPECT_EQ(AfterSetValue("[a]\r\nk=1", "a", "k", "2"), "[a]\r\nk=2");
}

TEST(IniDocument, DeletesKeysAndWholeSections) {
  const std::string file = "[a]\r\nk=1\r\n; kept with a\r\n\r\n[b]\r\nj=2\r\nk=3";
  EXPECT_EQ(AfterDeleteKey(file, "b", "k"), "[a]\r\nk=1\r\n; kept with a\r\n\r\n[b]\r\nj=2\r\n");
  EXPECT_EQ(AfterDeleteKey(file, "a", "k"), "[a]\r\n; kept with a\r\n\r\n[b]\r\nj=2\r\nk=3");
  EXPECT_EQ(AfterDeleteSection(file, "A"), "[b]\r\nj=2\r\nk=3");
  EXPECT_EQ(AfterDeleteSection(file, "b"), "[a]\r\nk=1\r\n; kept with a\r\n\r\n");
  EXPECT_EQ(AfterDeleteKey(file, "a", "j"), "<unchanged>");
  EXPECT_EQ(AfterDeleteKey(file, "c", "k"), "<unchanged>");
  EXPECT_EQ(AfterDeleteSection(file, "c"), "<unchanged>");
}

}  // namespace
}  // namespace zorvane::ini
