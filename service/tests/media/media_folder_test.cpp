#include "media/media_folder.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "temporary_folder.h"

namespace orvane::service::media {
namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST(MediaFolder, HashesTheBytesAsSha256) {
  EXPECT_EQ(sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(MediaFolder, BuildsPathsOnlyFromHashes) {
  TemporaryFolder temporary;
  const MediaFolder folder(temporary.path());
  const std::string hash = sha256Hex("abc");
  EXPECT_EQ(folder.pathOf(hash), folder.root() / "ba" / hash);
  for (std::string_view hostile :
       {"../../etc/passwd", "..", "", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015a",
        "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD",
        "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad/..",
        "/etc/passwd/////////////////////////////////////////////////////////"}) {
    EXPECT_FALSE(folder.pathOf(hostile)) << hostile;
  }
}

TEST(MediaFolder, CommittedBytesAppearUnderTheirHashAndAbandonedOnesVanish) {
  TemporaryFolder temporary;
  const MediaFolder folder(temporary.path() / "media");
  std::filesystem::path temporaryFile;
  {
    MediaFolder::PendingFile abandoned = folder.write("never kept");
    temporaryFile = abandoned.path();
    EXPECT_TRUE(std::filesystem::exists(temporaryFile));
    EXPECT_FALSE(std::filesystem::exists(*folder.pathOf(abandoned.sha256())));
  }
  EXPECT_FALSE(std::filesystem::exists(temporaryFile));

  MediaFolder::PendingFile kept = folder.write("kept bytes");
  const std::filesystem::path final = kept.commit();
  EXPECT_EQ(final, folder.pathOf(sha256Hex("kept bytes")));
  EXPECT_EQ(readFile(final), "kept bytes");
  // The same bytes again replace the file with themselves.
  EXPECT_EQ(folder.write("kept bytes").commit(), final);
  EXPECT_EQ(readFile(final), "kept bytes");
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.root()))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 1u);
}

}  // namespace
}  // namespace orvane::service::media
