#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <orvane/storage/disk_cache.h>
#include <orvane/storage/sha256.h>
#include "support/temporary_folder.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const Date kNoon{std::chrono::seconds{1714566600}};

DiskCacheRecord recordWith(std::string etag = {}, std::chrono::seconds freshFor = 60s) {
  DiskCacheRecord record;
  record.etag = std::move(etag);
  record.storedAt = kNoon;
  record.freshFor = freshFor;
  return record;
}

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
  return names;
}

std::string contentsOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void overwrite(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct DiskCacheTest : ::testing::Test {
  TemporaryFolder root;
  fs::path folder = root.path() / "media";
  fs::path pathOf(const std::string& key) const { return folder / sha256Hex(key); }
};

TEST_F(DiskCacheTest, EntriesOutliveTheObjectThatWroteThemAndNameNoKey) {
  const std::string url = "https://cdn.example.com/user/42/photo.jpg?token=secret";
  {
    DiskCache writer(folder);
    ASSERT_TRUE(writer.store(url, "IMG:10x20", recordWith("\"v1\"", 600s)));
  }
  DiskCache reader(folder);
  auto entry = reader.read(url);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->bytes, "IMG:10x20");
  EXPECT_EQ(entry->record.etag, "\"v1\"");
  EXPECT_EQ(entry->record.storedAt, kNoon);
  EXPECT_EQ(entry->record.freshFor, 600s);
  EXPECT_EQ(entry->record.size, 9u);
  EXPECT_TRUE(entry->record.isFresh(kNoon + 599s));
  EXPECT_FALSE(entry->record.isFresh(kNoon + 600s));
  EXPECT_FALSE(entry->record.isFresh(kNoon - 1s));
  EXPECT_EQ(reader.readRange(url, 4, 2), "10");
  EXPECT_EQ(reader.readRange(url, 7, 100), "20");
  EXPECT_EQ(reader.readRange(url, 50, 10), "");
  EXPECT_FALSE(reader.find("https://cdn.example.com/other.jpg"));

  for (const auto& name : namesIn(folder)) {
    EXPECT_EQ(name.find("example"), std::string::npos) << name;
    EXPECT_EQ(name.find("secret"), std::string::npos) << name;
  }
  EXPECT_EQ(fs::status(folder).permissions() & (fs::perms::group_all | fs::perms::others_all),
            fs::perms::none);

  ASSERT_TRUE(reader.refresh(url, recordWith("\"v2\"", 30s)));
  EXPECT_EQ(DiskCache(folder).read(url)->bytes, "IMG:10x20");
  EXPECT_EQ(DiskCache(folder).find(url)->etag, "\"v2\"");
  reader.remove(url);
  EXPECT_FALSE(reader.find(url));
  EXPECT_FALSE(reader.refresh(url, recordWith()));
}

TEST_F(DiskCacheTest, StaysWithinItsBoundDroppingTheLeastRecentlyUsed) {
  DiskCache cache(folder, {.maxBytes = 10'000, .write = {}});
  const std::string page(2'000, 'x');
  auto age = [&](const std::string& key, std::chrono::seconds ago) {
    fs::last_write_time(pathOf(key), fs::file_time_type::clock::now() - ago);
  };
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(cache.store("k" + std::to_string(i), page, recordWith()));
    age("k" + std::to_string(i), std::chrono::seconds(100 - i));
  }
  // Read just now: the most recently used although written first.
  ASSERT_TRUE(cache.read("k0"));
  ASSERT_TRUE(cache.store("k4", page, recordWith()));
  ASSERT_TRUE(cache.store("k5", page, recordWith()));

  EXPECT_LE(cache.bytesOnDisk(), 10'000u);
  EXPECT_TRUE(cache.find("k0"));
  EXPECT_FALSE(cache.find("k1"));
  EXPECT_TRUE(cache.find("k5"));

  // Another process's writes count too: they are found on the folder itself.
  DiskCache other(folder, {.maxBytes = 10'000, .write = {}});
  for (int i = 6; i < 12; ++i) ASSERT_TRUE(other.store("k" + std::to_string(i), page, recordWith()));
  ASSERT_TRUE(cache.store("k12", page, recordWith()));
  EXPECT_LE(cache.bytesOnDisk(), 10'000u);

  // Too large for the bound: not kept, and the older bytes of the key do not come back instead.
  EXPECT_FALSE(cache.store("k12", std::string(20'000, 'y'), recordWith()));
  EXPECT_FALSE(cache.find("k12"));

  // A lowered bound applies at the next write.
  cache.setMaxBytes(5'000);
  ASSERT_TRUE(cache.store("k13", page, recordWith()));
  EXPECT_LE(cache.bytesOnDisk(), 5'000u);
  cache.setMaxBytes(0);
  EXPECT_FALSE(cache.store("k14", "", recordWith()));
}

TEST_F(DiskCacheTest, DamagedEntriesReadAsMissesAndAreRemoved) {
  const std::string key = "https://cdn.example.com/a.jpg";
  DiskCache cache(folder);
  ASSERT_TRUE(cache.store(key, "IMG:1x1-original-bytes", recordWith("\"e\"")));
  ASSERT_TRUE(cache.store("other", "IMG:2x2", recordWith()));
  const std::string whole = contentsOf(pathOf(key));

  struct Damage {
    const char* name;
    std::function<void()> apply;
  };
  const std::vector<Damage> damages = {
      {"truncated", [&] { overwrite(pathOf(key), whole.substr(0, whole.size() - 5)); }},
      {"cut in the bytes", [&] { overwrite(pathOf(key), whole.substr(3)); }},
      {"empty", [&] { overwrite(pathOf(key), ""); }},
      {"garbage", [&] { overwrite(pathOf(key), std::string(500, '\x7f')); }},
      {"longer than its record says", [&] { overwrite(pathOf(key), "extra" + whole); }},
      {"trailer naming too long a record",
       [&] { overwrite(pathOf(key), whole.substr(0, whole.size() - 11) + "9999999999\n"); }},
      {"record that is no JSON",
       [&] {
         std::string broken = whole;
         broken[broken.find("{")] = '[';
         overwrite(pathOf(key), broken);
       }},
      {"another key's entry under this name",
       [&] { fs::copy_file(pathOf("other"), pathOf(key), fs::copy_options::overwrite_existing); }},
      {"a folder in its place",
       [&] {
         fs::remove(pathOf(key));
         fs::create_directories(pathOf(key) / "inner");
       }},
      {"a link in its place",
       [&] {
         fs::remove(pathOf(key));
         fs::create_symlink(pathOf("other"), pathOf(key));
       }},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.name);
    damage.apply();
    EXPECT_FALSE(cache.find(key));
    EXPECT_FALSE(cache.read(key));
    EXPECT_FALSE(fs::exists(fs::symlink_status(pathOf(key))));
    EXPECT_EQ(cache.read("other")->bytes, "IMG:2x2");
    ASSERT_TRUE(cache.store(key, "IMG:1x1-original-bytes", recordWith("\"e\"")));
    EXPECT_EQ(cache.read(key)->bytes, "IMG:1x1-original-bytes");
  }
}

// There is no index to damage: the folder is the index. What a crash or a stranger leaves in it
// is cleaned up or left alone, and a folder that is gone or unusable costs only the caching.
TEST_F(DiskCacheTest, SurvivesWhatIsLeftInTheFolderAndTheFolderItself) {
  DiskCache cache(folder, {.maxBytes = 1'000, .write = {}});
  ASSERT_TRUE(cache.store("a", "IMG:1x1", recordWith()));
  overwrite(folder / ".tmp-99999-1", std::string(600, 'd'));  // a writer that died
  fs::last_write_time(folder / ".tmp-99999-1", fs::file_time_type::clock::now() - 2h);
  overwrite(folder / ".tmp-99999-2", "still being written");
  overwrite(folder / "notes.txt", "not ours");
  ASSERT_TRUE(cache.store("b", std::string(750, 'b'), recordWith()));  // passes the bound: a trim
  EXPECT_FALSE(fs::exists(folder / ".tmp-99999-1"));
  EXPECT_TRUE(fs::exists(folder / ".tmp-99999-2"));
  EXPECT_TRUE(fs::exists(folder / "notes.txt"));

  fs::remove_all(folder);
  EXPECT_FALSE(cache.find("b"));
  EXPECT_TRUE(cache.store("c", "IMG:1x1", recordWith()));  // made again

  fs::remove_all(folder);
  overwrite(folder, "a file where the folder should be");
  EXPECT_FALSE(cache.store("d", "IMG:1x1", recordWith()));
  EXPECT_FALSE(cache.find("d"));
  EXPECT_FALSE(cache.startWriting("d", recordWith()));
}

TEST_F(DiskCacheTest, AFullDiskLosesTheWriteNotTheEntryBefore) {
  std::atomic<bool> full{false};
  DiskCache cache(
      folder, {.maxBytes = 1 << 20, .write = [&](int fd, std::string_view bytes) {
                 if (full) return ENOSPC;
                 return ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) ? 0
                                                                                                      : EIO;
               }});
  ASSERT_TRUE(cache.store("a", "IMG:1x1", recordWith("\"old\"")));
  full = true;
  EXPECT_FALSE(cache.store("a", "IMG:2x2", recordWith("\"new\"")));
  EXPECT_FALSE(cache.store("b", "IMG:2x2", recordWith()));
  EXPECT_FALSE(cache.refresh("a", recordWith("\"newer\"")));
  auto writer = cache.startWriting("c", recordWith());
  ASSERT_TRUE(writer);
  EXPECT_FALSE(writer->append("IMG"));
  EXPECT_FALSE(writer->commit());
  writer.reset();
  // Nothing half-written is left, and the older entry still reads whole.
  EXPECT_EQ(namesIn(folder), std::vector<std::string>{sha256Hex("a")});
  EXPECT_EQ(cache.read("a")->record.etag, "\"old\"");

  full = false;
  EXPECT_TRUE(cache.store("b", "IMG:2x2", recordWith()));
}

TEST_F(DiskCacheTest, AWriterShowsNothingUntilItCommits) {
  DiskCache cache(folder, {.maxBytes = 400, .write = {}});
  auto writer = cache.startWriting("video", recordWith("\"v\""));
  ASSERT_TRUE(writer);
  ASSERT_TRUE(writer->append("first "));
  ASSERT_TRUE(writer->append("second"));
  EXPECT_FALSE(cache.find("video"));
  ASSERT_TRUE(writer->commit());
  ASSERT_TRUE(cache.read("video"));
  EXPECT_EQ(cache.read("video")->bytes, "first second");
  EXPECT_FALSE(writer->append("late"));

  auto dropped = cache.startWriting("dropped", recordWith());
  ASSERT_TRUE(dropped->append("part"));
  dropped.reset();
  auto outgrown = cache.startWriting("outgrown", recordWith());
  ASSERT_TRUE(outgrown->append(std::string(250, 'o')));
  EXPECT_FALSE(outgrown->append(std::string(250, 'o')));
  // Within the bound by its bytes, past it with its record.
  auto recordless = cache.startWriting("recordless", recordWith());
  ASSERT_TRUE(recordless->append(std::string(390, 'r')));
  EXPECT_FALSE(recordless->commit());
  EXPECT_FALSE(outgrown->commit());
  EXPECT_EQ(namesIn(folder), std::vector<std::string>{sha256Hex("video")});
}

// Two processes of one app, each with its own cache object on the same folder, write the same key
// over and over while both read it: every read is one writer's entry whole, never a mix or a part.
TEST_F(DiskCacheTest, TwoProcessesWritingOneKeyNeverShowHalfAnEntry) {
  const std::string key = "https://cdn.example.com/shared.jpg";
  auto entryOf = [](char fill, int round) { return std::string(1000 + (round % 7) * 3000, fill); };
  auto wholeAndSingle = [](const DiskCache::Entry& entry) {
    return !entry.bytes.empty() && entry.bytes.size() == entry.record.size &&
           entry.bytes.find_first_not_of(entry.bytes[0]) == std::string::npos &&
           entry.record.etag == std::string(1, entry.bytes[0]);
  };
  ASSERT_TRUE(DiskCache(folder).store(key, entryOf('p', 0), recordWith("p")));

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    DiskCache theirs(folder);
    int bad = 0;
    for (int round = 0; round < 300; ++round) {
      if (!theirs.store(key, entryOf('c', round), recordWith("c"))) ++bad;
      if (auto seen = theirs.read(key); seen && !wholeAndSingle(*seen)) ++bad;
    }
    ::_exit(bad == 0 ? 0 : 1);
  }
  DiskCache ours(folder);
  DiskCache ourSecond(folder);
  int bad = 0;
  for (int round = 0; round < 300; ++round) {
    if (!ours.store(key, entryOf('p', round), recordWith("p"))) ++bad;
    if (auto seen = ourSecond.read(key); !seen || !wholeAndSingle(*seen)) ++bad;
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(bad, 0);
  auto last = ours.read(key);
  ASSERT_TRUE(last);
  EXPECT_TRUE(wholeAndSingle(*last));
  EXPECT_EQ(namesIn(folder), std::vector<std::string>{sha256Hex(key)});
}

}  // namespace
}  // namespace orvane::testing
