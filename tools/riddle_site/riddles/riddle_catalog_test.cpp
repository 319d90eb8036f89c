#include "riddles/riddle_catalog.h"

#include <gtest/gtest.h>

#include "game/contract.h"

namespace riddle_site {
namespace {

using zorvane::FirstRiddleId;

TEST(RiddleCatalog, OnlyExactRiddlePathsAreFound) {
  const RiddleCatalog catalog({{19499, "a", "1"}, {19500, "b", "2"}, {19501, "c", "3"}});
  EXPECT_EQ(catalog.FindByPath(RiddlePath(19501)), &catalog.riddles()[2]);
  // Another id, another shape, a leading zero, a letter in the number, a
  // number too large.
  const std::string first = RiddlePath(FirstRiddleId);
  const std::size_t digits = first.find(std::to_string(FirstRiddleId));
  std::string doubleSlash = "/";
  doubleSlash += first;
  for (const std::string& path :
       {RiddlePath(19502), RiddlePath(19498), doubleSlash, first.substr(0, first.size() - 1),
        first.substr(1), first.substr(0, digits) + "0" + first.substr(digits),
        first.substr(0, digits + 5) + "x" + first.substr(digits + 5),
        first.substr(0, digits) + "99999999999999" + first.substr(digits + 5), std::string()}) {
    EXPECT_EQ(catalog.FindByPath(path), nullptr) << path;
  }
  EXPECT_EQ(catalog.FindByQuestion(""), nullptr);
  EXPECT_EQ(catalog.FindByQuestion("b"), &catalog.riddles()[1]);
}

TEST(RiddleCatalog, TheChainSkipsDeletedRiddlesAndWrapsAround) {
  const RiddleCatalog catalog(
      {{19499, "a", "1"}, {19502, "b", "2", true}, {19500, "c", "3"}, {19501, "d", "4", true}});
  const std::span<const Riddle> r = catalog.riddles();
  EXPECT_EQ(&catalog.Next(r[0]), &r[2]);
  EXPECT_EQ(&catalog.Next(r[2]), &r[0]);  // round past the deleted last one
  EXPECT_EQ(&catalog.Next(r[1]), &r[2]);  // a deleted riddle still leads on
  // The only riddle left links to itself.
  const RiddleCatalog single({{19499, "a", "1"}, {19500, "b", "2", true}});
  EXPECT_EQ(&single.Next(single.riddles()[0]), &single.riddles()[0]);
}

}  // namespace
}  // namespace riddle_site
