// import, export and backup: a content folder into and out of a database, and a copy of one.
#include <iostream>

#include "command.h"
#include "content/content_folder.h"
#include "content/content_transfer.h"
#include "storage/store.h"

namespace orvane::service::cli {

Flag databaseFlag() {
  return {"database", "ORVANE_DATABASE", "URL", "sqlite:orvane-content.sqlite",
          "sqlite:PATH (the file made when absent) or postgresql://USER@HOST/NAME"};
}

Flag appFlag() { return {"app", "ORVANE_APP", "KEY", "demo-app", "the app whose content it is"}; }

namespace {

Flag sdkKeyFlag() {
  return {"sdk-key", "ORVANE_SDK_KEY", "KEY", "demo-sdk-key", "an SDK key the app is given when it has none"};
}

storage::App requireApp(storage::Store& store, const std::string& key) {
  auto app = store.appByKey(key);
  if (!app) throw std::runtime_error("the database has no app " + key);
  return *app;
}

int runImport(const ParsedFlags& flags) {
  const std::string folder = flags.positional().at(0);
  const std::string appKey = flags.text("app");
  const std::string sdkKey = flags.text("sdk-key");
  // Read and checked whole before anything is written.
  const auto placements = content::readContentFolder(folder);
  auto store = storage::Store::open(flags.text("database"));
  auto app = store->appByKey(appKey);
  if (!app) app = store->createApp(appKey, appKey);
  if (store->sdkKeys(app->id).empty()) {
    if (auto holder = store->appForSdkKey(sdkKey)) {
      std::cerr << "the SDK key is app " << holder->key << "'s already: " << appKey << " was given none\n";
    } else {
      store->addSdkKey(app->id, sdkKey, "import");
    }
  }
  content::importPlacements(*store, app->id, placements);
  std::cout << "imported and published " << placements.size() << " placements into app " << appKey << "\n";
  return 0;
}

int runExport(const ParsedFlags& flags) {
  const std::string folder = flags.positional().at(0);
  auto store = storage::Store::open(flags.text("database"));
  const storage::App app = requireApp(*store, flags.text("app"));
  const auto placements = content::publishedPlacements(*store, app.id);
  content::writeContentFolder(folder, placements);
  std::cout << "exported " << placements.size() << " published placements of app " << app.key << " to "
            << folder << "\n";
  return 0;
}

int runBackup(const ParsedFlags& flags) {
  const std::string file = flags.positional().at(0);
  auto store = storage::Store::open(flags.text("database"));
  store->backupTo(file);
  std::cout << "backed up to " << file << "\n";
  return 0;
}

}  // namespace

Command importCommand() {
  return {"import",
          "orvane-content-service import DIR [--database URL] [--app KEY] [--sdk-key KEY]",
          "Loads a content folder (<placement>.stories.json, <placement>.banners.json) into the app's\n"
          "placements and publishes it. The folder is checked whole first: a bad file changes nothing.",
          {databaseFlag(), appFlag(), sdkKeyFlag()},
          1,
          runImport};
}

Command exportCommand() {
  return {"export",
          "orvane-content-service export DIR [--database URL] [--app KEY]",
          "Writes the app's published placements as a content folder that import reads back.",
          {databaseFlag(), appFlag()},
          1,
          runExport};
}

Command backupCommand() {
  return {"backup",
          "orvane-content-service backup FILE [--database sqlite:PATH]",
          "An online, consistent copy of a SQLite database into FILE, taken while the service runs.\n"
          "For PostgreSQL use pg_dump.",
          {databaseFlag()},
          1,
          runBackup};
}

}  // namespace orvane::service::cli
