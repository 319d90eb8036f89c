#include "runtime/text_between.h"

#include <gtest/gtest.h>

#include <string>

namespace zorvane {
namespace {

constexpr std::int32_t kUnwritten = -999;

struct Outs {
  std::int32_t start = kUnwritten;
  std::int32_t length = kUnwritten;
};

TextBetweenOptions StartingAt(std::int32_t startPos) {
  TextBetweenOptions options;
  options.startPos = startPos;
  return options;
}

TextBetweenOptions AtMost(std::optional<std::int32_t> maxLength, bool rejectLonger = false) {
  TextBetweenOptions options;
  options.maxLength = maxLength;
  options.rejectLonger = rejectLonger;
  return options;
}

std::string Between(TextView haystack, TextView startMarker, TextView endMarker,
                    TextBetweenOptions options, Outs& outs) {
  options.outStart = &outs.start;
  options.outLength = &outs.length;
  return std::string(TextBetween(haystack, startMarker, endMarker, options));
}

TEST(TextBetween, CutsBetweenTheFirstMarkers) {
  EXPECT_EQ(std::string(TextBetween("<q>题目</q>", "<q>", "</q>")), "题目");
  Outs outs;
  EXPECT_EQ(Between("x[a[b]c]", "[", "]", {}, outs), "a[b");
  EXPECT_EQ(outs.start, 3);
  EXPECT_EQ(outs.length, 3);
  // Bytes come back exactly as they stand.
  EXPECT_EQ(std::string(TextBetween("<a> &amp;\r\n </a>", "<a>", "</a>")), " &amp;\r\n ");
}

TEST(TextBetween, MissingMarkersWriteOnlyWhatWasReached) {
  Outs outs;
  EXPECT_EQ(Between("abc", "<", ">", {}, outs), "");
  EXPECT_EQ(outs.start, kUnwritten);
  EXPECT_EQ(outs.length, kUnwritten);

  // An end marker before the start marker does not count.
  EXPECT_EQ(Between("> <abc", "<", ">", {}, outs), "");
  EXPECT_EQ(outs.start, 4);
  EXPECT_EQ(outs.length, kUnwritten);

  // The start marker at the very end: nothing left to search.
  outs = {};
  EXPECT_EQ(Between("abc<", "<", ">", {}, outs), "");
  EXPECT_EQ(outs.start, 5);
  EXPECT_EQ(outs.length, kUnwritten);
}

TEST(TextBetween, AdjacentMarkersGiveAnEmptyPart) {
  Outs outs;
  EXPECT_EQ(Between("a<>b", "<", ">", {}, outs), "");
  EXPECT_EQ(outs.start, 3);
  EXPECT_EQ(outs.length, 0);
}

TEST(TextBetween, EmptyMarkers) {
  Outs outs;
  // An empty end marker is found at 1, before the part.
  EXPECT_EQ(Between("a<b>c", "<", "", {}, outs), "");
  EXPECT_EQ(outs.length, kUnwritten);
  outs = {};
  EXPECT_EQ(Between("abc", "", "", {}, outs), "");
  EXPECT_EQ(outs.start, 1);
  EXPECT_EQ(outs.length, 0);
  // An empty start marker starts at the first byte, whatever startPos says.
  outs = {};
  EXPECT_EQ(Between("ab>cd>", "", ">", StartingAt(4), outs), "ab");
  EXPECT_EQ(outs.start, 1);
  EXPECT_EQ(Between("", "", ">", {}, outs), "");
  EXPECT_EQ(Between("ab>", "", ">", StartingAt(4), outs), "");
}

TEST(TextBetween, StartPosition) {
  Outs outs;
  EXPECT_EQ(Between("<1><2>", "<", ">", StartingAt(2), outs), "2");
  EXPECT_EQ(outs.start, 5);
  EXPECT_EQ(Between("<1><2>", "<", ">", StartingAt(-5), outs), "1");
  outs = {};
  EXPECT_EQ(Between("<1><2>", "<", ">", StartingAt(7), outs), "");
  EXPECT_EQ(outs.start, kUnwritten);
  EXPECT_EQ(Between("<1><2>", "<", ">", StartingAt(INT32_MAX), outs), "");
}

TEST(TextBetween, MarkersOnlyMatchOnCharacterBoundaries) {
  // B0 A1 | A1 A3 | 'x' | A1 A3: the start marker A1 A1 straddles two characters.
  const char page[] = "\xB0\xA1\xA1\xA3x\xA1\xA3";
  EXPECT_EQ(std::string(TextBetween(page, "\xA1\xA1", "\xA1\xA3")), "");
  EXPECT_EQ(std::string(TextBetween(page, "\xA1\xA3", "\xA1\xA3")), "x");
}

TEST(TextBetween, MaxLengthCutsTheBytes) {
  Outs outs;
  EXPECT_EQ(Between("<abcde>", "<", ">", AtMost(3), outs), "abc");
  EXPECT_EQ(outs.length, 5);
  EXPECT_EQ(Between("<中文字>", "<", ">", AtMost(3), outs), "\xD6\xD0\xCE");
  EXPECT_EQ(Between("<abcde>", "<", ">", AtMost(9), outs), "abcde");
  EXPECT_EQ(Between("<abcde>", "<", ">", AtMost(0), outs), "");
  EXPECT_EQ(Between("<abcde>", "<", ">", AtMost(-4), outs), "");
}

TEST(TextBetween, RejectLonger) {
  Outs outs;
  EXPECT_EQ(Between("<abcde>", "<", ">", AtMost(3, true), outs), "");
  EXPECT_EQ(outs.length, 5);  // written before the part is rejected
  EXPECT_EQ(Between("<abc>", "<", ">", AtMost(3, true), outs), "abc");
  // Without maxLength every non-empty part is longer than 0.
  EXPECT_EQ(Between("<a>", "<", ">", AtMost(std::nullopt, true), outs), "");
  EXPECT_EQ(Between("<>", "<", ">", AtMost(std::nullopt, true), outs), "");
  EXPECT_EQ(outs.length, 0);
}

TEST(TextBetween, ReadsTheHaystackOnlyUpToANul) {
  EXPECT_EQ(std::string(TextBetween(TextView("<a\0>", 4), "<", ">")), "");
  EXPECT_EQ(std::string(TextBetween(TextView("<a>\0<b>", 7), "<", ">", StartingAt(4))), "");
}

}  // namespace
}  // namespace zorvane
