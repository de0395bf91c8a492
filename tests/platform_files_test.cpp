// The file layer's questions about paths: existence and identity through other spellings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/files.hpp"
#include "scratch_folder.hpp"

namespace peltrix {
namespace {

namespace fs = std::filesystem;

class PlatformFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::makeScratchFolder("peltrix-files");
    fs::create_directories(dir_ / "sub");
    std::ofstream(dir_ / "a.png") << "a";
    std::ofstream(dir_ / "b.png") << "a";  // same content, another file
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(PlatformFilesTest, SameFileSeesThroughLinksAndOtherSpellings) {
  fs::create_symlink(dir_ / "a.png", dir_ / "link.png");
  fs::create_hard_link(dir_ / "a.png", dir_ / "hard.png");
  EXPECT_TRUE(sameFile(path("a.png"), path("a.png")));
  EXPECT_TRUE(sameFile(path("a.png"), path("link.png")));
  EXPECT_TRUE(sameFile(path("a.png"), path("hard.png")));
  EXPECT_TRUE(sameFile(path("a.png"), path("sub/../a.png")));
  EXPECT_FALSE(sameFile(path("a.png"), path("b.png")));
  EXPECT_FALSE(sameFile(path("a.png"), path("missing.png")));
  EXPECT_FALSE(sameFile(path("missing.png"), path("missing.png")));
}

TEST_F(PlatformFilesTest, PathExistsForFilesFoldersAndDanglingLinks) {
  fs::create_symlink(dir_ / "gone.png", dir_ / "dangling.png");
  EXPECT_TRUE(pathExists(path("a.png")));
  EXPECT_TRUE(pathExists(path("sub")));
  EXPECT_TRUE(pathExists(path("dangling.png")));
  EXPECT_FALSE(pathExists(path("gone.png")));
  EXPECT_FALSE(pathExists(""));
}

TEST_F(PlatformFilesTest, ReadWholeFileRefusesWhatIsNoPlainFileOrTooLarge) {
  using Kind = FileReadError::Kind;
  auto kindOf = [](const std::string& p, std::size_t max) {
    try {
      readWholeFile(p, max);
    } catch (const FileReadError& e) {
      return e.kind();
    }
    ADD_FAILURE() << p << " was read";
    return Kind::Read;
  };
  EXPECT_EQ(readWholeFile(path("a.png"), 1), std::vector<uint8_t>{'a'});
  EXPECT_EQ(kindOf(path("a.png"), 0), Kind::TooLarge);
  EXPECT_EQ(kindOf(path("sub"), 100), Kind::Directory);
  EXPECT_EQ(kindOf(path("missing.png"), 100), Kind::Open);
}

}  // namespace
}  // namespace peltrix
