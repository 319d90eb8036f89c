#include "runtime/settings/settings_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace zorvane {
namespace {

// A large file alike in every section, as a big group's sign-in data file is.
std::string Ledger(int members) {
  std::string ledger;
  for (int n = 0; n < members; ++n) {
    ledger.append("[").append(std::to_string(100000 + n)).append("--123456789]\r\nk=1\r\n");
  }
  return ledger;
}

TEST(FindBytes, FindsWhatFindFindsInLargeAndSmallTexts) {
  const std::string ledger = Ledger(20000);  // far above the size that takes the fast path
  ASSERT_GT(ledger.size(), 256u << 10);
  for (const int member : {0, 1, 7, 9999, 19998, 19999}) {
    const std::string name = std::to_string(100000 + member) + "--123456789";
    EXPECT_EQ(FindBytes(ledger, name, 0), ledger.find(name)) << member;
    EXPECT_EQ(FindBytes(ledger, name, 5), ledger.find(name, 5)) << member;
  }
  EXPECT_EQ(FindBytes(ledger, "120000--123456789", 0), TextView::npos);
  EXPECT_EQ(FindBytes(ledger, "k=1\r\n", ledger.size() - 5), ledger.size() - 5);
  EXPECT_EQ(FindBytes(ledger, "k=1\r\n", ledger.size() - 4), TextView::npos);
  EXPECT_EQ(FindBytes(ledger, "x", ledger.size()), TextView::npos);
  EXPECT_EQ(FindBytes("abc", "abcd", 0), TextView::npos);
  EXPECT_EQ(FindBytes("abcabc", "c", 3), 5u);
}

TEST(FindBytes, AgreesWithFindOnRandomTexts) {
  std::mt19937 random(7);
  std::string text(300000, 'a');
  for (char& c : text) {
    c = static_cast<char>('a' + random() % 3);
  }
  for (int round = 0; round < 200; ++round) {
    const std::size_t length = 1 + random() % 20;
    const std::size_t at = random() % (text.size() - length);
    // Half the needles come from the text, half are made up.
    std::string needle = text.substr(at, length);
    if (round % 2) {
      needle.back() = 'd';
    }
    const std::size_t from = random() % 1000;
    ASSERT_EQ(FindBytes(text, needle, from), text.find(needle, from)) << needle << " " << from;
  }
}

// The reference: both texts with their letters in one case.
std::size_t FoldedFind(std::string haystack, std::string needle, std::size_t pos) {
  for (std::string* text : {&haystack, &needle}) {
    for (char& c : *text) {
      c = FoldAsciiLetter(c);
    }
  }
  return haystack.find(needle, pos);
}

TEST(FindBytesIgnoringCase, AgreesWithAFindOfFoldedTextsLargeAndSmall) {
  // "@" and "`" differ in the bit that tells a letter's case: no match.
  std::mt19937 random(11);
  const std::string alphabet = "aAbB@`-";
  for (const std::size_t size : {std::size_t{300000}, std::size_t{500}}) {
    std::string text(size, 'a');
    for (char& c : text) {
      c = alphabet[random() % alphabet.size()];
    }
    for (int round = 0; round < 200; ++round) {
      const std::size_t length = 2 + random() % 12;
      std::string needle = text.substr(random() % (text.size() - length), length);
      needle[random() % length] = alphabet[random() % alphabet.size()];
      const std::size_t from = random() % 400;
      ASSERT_EQ(FindBytesIgnoringCase(text, needle, from), FoldedFind(text, needle, from))
          << needle << " " << from;
    }
  }
}

}  // namespace
}  // namespace zorvane
