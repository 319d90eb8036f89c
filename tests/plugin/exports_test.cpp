// The module's face towards the host: exactly two exports, texts that live
// until the next call of the same export, and a clean load and unload.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/replies.h"
#include "support/module_under_test.h"
#include "support/riddle_site_fixture.h"
#include "support/temp_dir.h"

namespace zorvane::testing {
namespace {

// The test build of the module in a run directory of its own, with a riddle
// site and update page that refuse every connection.
class Boundary : public ::testing::Test {
 protected:
  Boundary() : info_(module_.info()), zorvane_(module_.zorvane()) {
    const std::string site = UnreachableSiteBase();
    module_.ConfigureForTesting(runDirectory_.str().c_str(), site, site + "/update.html");
  }

  // A start command from a member without money: answered with the refusal,
  // without touching the network.
  const char* Refused() { return zorvane_("开始", "2", "1001", "2002", ""); }

  TempDir runDirectory_;
  ModuleUnderTest module_;
  host::InfoFunction info_;
  host::ZorvaneFunction zorvane_;
};

// The refusal of a member without a stored balance.
const std::string NoMoneyReply(RefusedReply(""));

// Also loads and unloads the module without any call.
TEST(ProductModule, ExportsOnlyTheTwoEntryPoints) {
  host::ModuleLibrary product(ZORVANE_MODULE_PATH);
  ASSERT_TRUE(product.loaded()) << product.error();
  EXPECT_NE(product.Find("info"), nullptr);
  EXPECT_NE(product.Find("Zorvane"), nullptr);
  EXPECT_EQ(product.Find("ZorvaneConfigureForTesting"), nullptr);
  EXPECT_EQ(product.Find("HandleChatEvent"), nullptr);
}

TEST_F(Boundary, NullArgumentsReadAsEmptyAndTheEmptyReplyIsNotNull) {
  const char* reply = zorvane_(nullptr, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(reply, nullptr);
  EXPECT_STREQ(reply, "");
  // A null member in a group message is no member at all: no reply, no file.
  reply = zorvane_("开始", "2", "1001", nullptr, nullptr);
  ASSERT_NE(reply, nullptr);
  EXPECT_STREQ(reply, "");
}

TEST_F(Boundary, EachExportKeepsItsResultUntilItsOwnNextCall) {
  const char* reply = Refused();
  ASSERT_EQ(std::string(reply), NoMoneyReply);
  const char* descriptor = info_();
  const std::string firstDescriptor = descriptor;
  ASSERT_EQ(firstDescriptor.rfind("Zorvane\r\n1.1\r\n", 0), 0u);

  // An info call leaves the reply alone, and a Zorvane call the descriptor.
  EXPECT_EQ(std::string(reply), NoMoneyReply);
  const char* ignored = zorvane_("x", "1", "1001", "2002", "");
  EXPECT_STREQ(ignored, "");
  EXPECT_EQ(std::string(descriptor), firstDescriptor);

  // The second info result lives on after further events.
  const char* second = info_();
  EXPECT_EQ(std::string(second), firstDescriptor);
  Refused();
  EXPECT_EQ(std::string(second), firstDescriptor);
}

TEST_F(Boundary, KeepsNoPointerIntoTheHostsBuffers) {
  char message[] = "开始";
  char type[] = "2";
  char group[] = "1001";
  char member[] = "2002";
  const char* reply = zorvane_(message, type, group, member, "");
  const std::string before = reply;
  // The host may reuse its buffers as soon as the call returns.
  std::memset(message, 'x', sizeof message - 1);
  std::memset(group, '9', sizeof group - 1);
  std::memset(member, '9', sizeof member - 1);
  EXPECT_EQ(std::string(reply), before);
  EXPECT_EQ(before, NoMoneyReply);
}

TEST(ModuleLifetime, LoadsAndUnloadsRepeatedlyWithResultsOutstanding) {
  TempDir runDirectory;
  const std::string site = UnreachableSiteBase();
  for (int round = 0; round < 3; ++round) {
    ModuleUnderTest module;
    module.ConfigureForTesting(runDirectory.str().c_str(), site, site + "/update.html");
    // Unload releases whatever the slots still hold (the leak checker of
    // the sanitizer build watches this).
    EXPECT_NE(module.info()(), nullptr);
    EXPECT_STREQ(module.zorvane()("开始", "2", "1", "2", ""), NoMoneyReply.c_str());
  }
}

}  // namespace
}  // namespace zorvane::testing
