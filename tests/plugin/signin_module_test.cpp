// The sign-in module's face towards the host, and the sign-in module beside
// the game in one host process: two libraries, each with its own results,
// on one ledger.
#include <gtest/gtest.h>

#include <string>

#include "game/replies.h"
#include "support/module_under_test.h"
#include "support/riddle_site_fixture.h"
#include "support/temp_dir.h"

namespace zorvane::testing {
namespace {

TEST(SigninProductModule, ExportsOnlyInfoAndItsEventExport) {
  host::ModuleLibrary product(ZORVANE_SIGNIN_MODULE_PATH);
  ASSERT_TRUE(product.loaded()) << product.error();
  EXPECT_NE(product.Find("info"), nullptr);
  EXPECT_NE(product.Find("ZorvaneSignin"), nullptr);
  for (const char* hidden : {"Zorvane", "ZorvaneConfigureForTesting", "HandleSigninEvent"}) {
    EXPECT_EQ(product.Find(hidden), nullptr) << hidden;
  }
}

// Both test builds in one process and one run directory, as a host that
// hands every group message to every module.
class TwoModules : public ::testing::Test {
 protected:
  TwoModules() {
    const std::string site = UnreachableSiteBase();
    game_.ConfigureForTesting(runDirectory_.str().c_str(), site, site + "/update.html");
    signin_.ConfigureForTesting(runDirectory_.str().c_str(), site, site + "/update.html");
  }

  TempDir runDirectory_;
  ModuleUnderTest game_;
  SigninModuleUnderTest signin_;
};

TEST_F(TwoModules, KeepTheirResultsApartAndShareTheLedger) {
  const std::string refused(RefusedReply(""));
  const char* gameReply = game_.zorvane()("开始", "2", "1001", "2002", "");
  ASSERT_EQ(std::string(gameReply), refused);
  const char* gameDescriptor = game_.info()();
  const std::string gameDescriptorText = gameDescriptor;

  const char* signedIn = signin_.zorvane()("签到", "2", "1001", "2002", "");
  ASSERT_EQ(std::string(signedIn).rfind("签到成功~！", 0), 0u) << signedIn;
  const std::string signedInText = signedIn;
  EXPECT_EQ(std::string(signin_.info()()).rfind("ZorvaneSignin\r\n", 0), 0u);
  // Neither module's calls touched the other's results.
  EXPECT_EQ(std::string(gameReply), refused);
  EXPECT_EQ(std::string(gameDescriptor), gameDescriptorText);
  EXPECT_EQ(game_.zorvane()("签到", "2", "1001", "2002", ""), std::string(""));
  EXPECT_EQ(std::string(signedIn), signedInText);

  // Signed in, the member may play: no refusal (and, with no site, no riddle).
  EXPECT_EQ(game_.Event("开始", "2", "1001", "2002"), "");
  EXPECT_EQ(signin_.Event("开始", "2", "1001", "2002"), "");
}

TEST_F(TwoModules, NullArgumentsReadAsEmptyAndTheReplyIsNeverNull) {
  const char* reply = signin_.zorvane()(nullptr, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(reply, nullptr);
  EXPECT_STREQ(reply, "");
  // A null message is the empty one, a sign-in; without a member, nobody's.
  reply = signin_.zorvane()(nullptr, "2", "1001", nullptr, nullptr);
  ASSERT_NE(reply, nullptr);
  EXPECT_STREQ(reply, "");
  EXPECT_TRUE(std::filesystem::is_empty(runDirectory_.path()));
}

}  // namespace
}  // namespace zorvane::testing
