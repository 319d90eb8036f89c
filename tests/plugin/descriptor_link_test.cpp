// Which update links may be handed to the desktop shell.
#include <gtest/gtest.h>

#include <string>

#include "plugin/descriptor_constants.h"

namespace zorvane {
namespace {

TEST(UpdateLink, OnlyAPlainHttpAddressIsOffered) {
  EXPECT_TRUE(IsOfferableUpdateLink("http://example.com/zorvane-1.2.zip"));
  EXPECT_TRUE(IsOfferableUpdateLink("http://example.com/下载?v=1.2&x=%20#top"));

  EXPECT_FALSE(IsOfferableUpdateLink(""));
  EXPECT_FALSE(IsOfferableUpdateLink("https://example.com/"));
  EXPECT_FALSE(IsOfferableUpdateLink("HTTP://example.com/"));
  EXPECT_FALSE(IsOfferableUpdateLink("file:///c:/x.exe http://a/"));
  EXPECT_FALSE(IsOfferableUpdateLink("c:\\x.exe?http://a/"));
  EXPECT_FALSE(IsOfferableUpdateLink(" http://a/"));
  for (const char breaking : std::string(" \"'`\t\r\n\x01\x7f")) {
    EXPECT_FALSE(IsOfferableUpdateLink(std::string("http://a/b") + breaking + "c"))
        << int(breaking);
  }
}

}  // namespace
}  // namespace zorvane
