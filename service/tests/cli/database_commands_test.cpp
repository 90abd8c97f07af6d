// import, export, backup and report run against real databases, as an operator runs them.
#include <fstream>

#include <gtest/gtest.h>

#include "../media/temporary_folder.h"
#include "child_process.h"
#include "content/content_folder.h"
#include "storage/store.h"
#include "support/throwaway_postgres.h"

namespace orvane::service::cli {
namespace {

const std::string kProgram = ORVANE_CONTENT_SERVICE_EXECUTABLE;
const std::string kSample = ORVANE_SAMPLE_CONTENT_DIR;

void expectSameContent(const std::vector<content::PlacementDocument>& actual,
                       const std::vector<content::PlacementDocument>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_EQ(actual[i].placementKey, expected[i].placementKey);
    EXPECT_EQ(actual[i].kind, expected[i].kind);
    EXPECT_EQ(actual[i].document, expected[i].document) << actual[i].placementKey;
  }
}

class DatabaseCommands : public test_support::StoreEngineTest {
 protected:
  std::string url() { return databaseUrl(); }
  media::TemporaryFolder folder_;
};

TEST_P(DatabaseCommands, ExportGivesBackWhatImportLoaded) {
  const std::string database = url();
  const Finished imported = runToEnd({kProgram, "import", kSample, "--database", database});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_NE(imported.out.find("imported and published 3 placements into app demo-app"), std::string::npos);
  auto store = storage::Store::open(database);
  EXPECT_TRUE(store->appForSdkKey("demo-sdk-key"));

  const auto exported = folder_.path() / "exported";
  const Finished exportRun = runToEnd({kProgram, "export", exported.string(), "--database", database});
  ASSERT_EQ(exportRun.status, 0) << exportRun.err;
  expectSameContent(content::readContentFolder(exported), content::readContentFolder(kSample));

  // A folder with one bad file is refused whole: nothing it holds is published.
  const auto broken = folder_.path() / "broken";
  std::filesystem::copy(kSample, broken);
  nlohmann::json changed = content::readContentFolder(kSample).front().document;
  changed["groups"][0]["title"] = "Changed";
  std::ofstream(broken / "home.stories.json") << changed.dump();
  std::ofstream(broken / "zz.stories.json") << R"({"groups": [{"id": "not-a-uuid"}]})";
  const Finished refused = runToEnd({kProgram, "import", broken.string(), "--database", database});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("zz.stories.json"), std::string::npos) << refused.err;
  const auto home = store->placement(store->appByKey("demo-app")->id, "home", storage::ContentKind::stories,
                                     storage::Environment::production);
  EXPECT_NE(home->document["groups"][0]["title"], "Changed");
}

TEST_P(DatabaseCommands, ExportOfAnUnknownAppFailsClearly) {
  const Finished finished = runToEnd(
      {kProgram, "export", (folder_.path() / "out").string(), "--database", url(), "--app", "nobody"});
  EXPECT_EQ(finished.status, 1);
  EXPECT_NE(finished.err.find("no app nobody"), std::string::npos) << finished.err;
}

INSTANTIATE_TEST_SUITE_P(Engines, DatabaseCommands, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

TEST(Backup, CopiesASqliteDatabaseThatOpensWithTheSameContent) {
  media::TemporaryFolder folder;
  const std::string database = "sqlite:" + (folder.path() / "live.sqlite").string();
  ASSERT_EQ(runToEnd({kProgram, "import", kSample, "--database", database}).status, 0);
  const auto copy = folder.path() / "copy.sqlite";
  const Finished backup = runToEnd({kProgram, "backup", copy.string(), "--database", database});
  ASSERT_EQ(backup.status, 0) << backup.err;

  auto original = storage::Store::open(database);
  auto restored = storage::Store::open("sqlite:" + copy.string());
  ASSERT_TRUE(restored->appForSdkKey("demo-sdk-key"));
  const std::int64_t appId = restored->appByKey("demo-app")->id;
  const auto placements = restored->placements(appId);
  ASSERT_EQ(placements.size(), 3u);
  for (const auto& placement : placements) {
    EXPECT_EQ(
        restored->placement(appId, placement.key, placement.kind, storage::Environment::production)->document,
        original
            ->placement(original->appByKey("demo-app")->id, placement.key, placement.kind,
                        storage::Environment::production)
            ->document);
  }
}

}  // namespace
}  // namespace orvane::service::cli
