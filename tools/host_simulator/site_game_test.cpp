// The module plays the bundled riddles on the live site and on the site's
// static export served by a plain file server, and both games go alike.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/contract.h"
#include "host/zorvane_module.h"
#include "riddles/riddle_file.h"
#include "server/site_on_a_thread.h"
#include "signin/signin_ledger.h"
#include "site/site_export.h"
#include "support/local_http_server.h"
#include "support/temp_dir.h"

namespace host_simulator {
namespace {

using riddle_site::Riddle;
using riddle_site::RiddleCatalog;

const std::shared_ptr<const RiddleCatalog>& BundledCatalog() {
  static const std::shared_ptr<const RiddleCatalog> catalog = std::make_shared<const RiddleCatalog>(
      riddle_site::CatalogOf(riddle_site::LoadRiddleFile(ZORVANE_BUNDLED_RIDDLES)));
  return catalog;
}

const RiddleCatalog& Bundled() {
  return *BundledCatalog();
}

// The questions the module shows while a member starts a game and then
// answers every riddle right, once round the whole collection and one more.
std::vector<std::string> PlayRoundTheCollection(const std::string& siteBase) {
  const zorvane::testing::TempDir runDirectory;
  zorvane::host::ZorvaneModule module(ZORVANE_TESTABLE_MODULE_PATH);
  EXPECT_TRUE(module.loaded()) << module.error();
  module.ConfigureForTesting(runDirectory.str().c_str(), siteBase, siteBase + "/update.html");
  module.Info();
  EXPECT_TRUE(zorvane::WriteMemberBalance(runDirectory.str(), "555", "42", "100"));
  const std::string start(zorvane::StartWord);
  const std::string group(zorvane::GroupMessageType);

  std::vector<std::string> questions{module.Event(start.c_str(), group.c_str(), "555", "42", "")};
  for (std::size_t round = 0; round <= Bundled().riddles().size(); ++round) {
    const Riddle* riddle = Bundled().FindByQuestion(questions.back());
    if (riddle == nullptr) {
      ADD_FAILURE() << "round " << round << ": no riddle of the collection was shown";
      break;
    }
    const std::string reply = module.Event(riddle->answer.c_str(), group.c_str(), "555", "42", "");
    const std::size_t next = reply.find(zorvane::CorrectGuessReplyMiddle);
    if (next == std::string::npos) {
      ADD_FAILURE() << "round " << round << ": the right answer was not taken";
      break;
    }
    questions.push_back(reply.substr(next + zorvane::CorrectGuessReplyMiddle.size()));
  }
  return questions;
}

TEST(SiteGame, TheStaticExportPlaysTheSameGameAsTheLiveSite) {
  const riddle_site::SiteOnAThread live({.catalog = [] { return BundledCatalog(); }});
  const std::vector<std::string> onLiveSite = PlayRoundTheCollection(live.base());

  const zorvane::testing::TempDir exported;
  ASSERT_EQ(riddle_site::ExportSite(Bundled(), "", exported.str()), std::nullopt);
  zorvane::testing::LocalHttpServer files;  // a plain file server
  ASSERT_TRUE(files.server().set_mount_point("/", exported.str()));
  files.Start();
  const std::vector<std::string> onStaticFiles = PlayRoundTheCollection(files.base());

  // Every riddle once, in the site's order, then round to the first again.
  const std::size_t count = Bundled().riddles().size();
  ASSERT_EQ(onLiveSite.size(), count + 2);
  for (std::size_t i = 0; i < onLiveSite.size(); ++i) {
    EXPECT_EQ(onLiveSite[i], Bundled().riddles()[i % count].question) << i;
  }
  EXPECT_EQ(onStaticFiles, onLiveSite);
}

TEST(SiteGame, TheExportReportsAFolderItCannotWrite) {
  const zorvane::testing::TempDir folder;
  zorvane::testing::WriteFileBytes(folder.path() / "taken", "a file, not a folder");
  const std::optional<std::string> failed =
      riddle_site::ExportSite(Bundled(), "", (folder.path() / "taken").string());
  ASSERT_TRUE(failed);
  EXPECT_NE(failed->find("cannot make the folder " + (folder.path() / "taken").string()),
            std::string::npos)
      << *failed;
}

}  // namespace
}  // namespace host_simulator
