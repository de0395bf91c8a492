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

// Symbolic links (which Windows grants only to administrators) are tried in tests/posix.
TEST_F(PlatformFilesTest, SameFileSeesThroughHardLinksAndOtherSpellings) {
  fs::create_hard_link(dir_ / "a.png", dir_ / "hard.png");
  EXPECT_TRUE(sameFile(path("a.png"), path("a.png")));
  EXPECT_TRUE(sameFile(path("a.png"), path("hard.png")));
  EXPECT_TRUE(sameFile(path("a.png"), path("sub/../a.png")));
  EXPECT_FALSE(sameFile(path("a.png"), path("b.png")));
  EXPECT_FALSE(sameFile(path("a.png"), path("missing.png")));
  EXPECT_FALSE(sameFile(path("missing.png"), path("missing.png")));
}

TEST_F(PlatformFilesTest, PathExistsForFilesAndFolders) {
  EXPECT_TRUE(pathExists(path("a.png")));
  EXPECT_TRUE(pathExists(path("sub")));
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

TEST_F(PlatformFilesTest, CommitNewNeverReplacesAFileThatAppearedMeanwhile) {
  {
    AtomicFile file(path("new.raw"));
    file.write(std::vector<uint8_t>{1, 2, 3});
    file.commitNew();
  }
  EXPECT_EQ(fs::file_size(path("new.raw")), 3u);
  {
    AtomicFile file(path("late.raw"));
    file.write(std::vector<uint8_t>{1, 2, 3});
    std::ofstream(path("late.raw")) << "someone else's";  // appears while we write
    EXPECT_THROW(file.commitNew(), FileWriteError);
  }
  std::ifstream in(path("late.raw"));
  std::string kept;
  std::getline(in, kept);
  EXPECT_EQ(kept, "someone else's");
  size_t entries = 0;
  for (const auto& e : fs::directory_iterator(dir_)) entries += e.path().filename() != "sub";
  EXPECT_EQ(entries, 4u) << "a temporary file was left behind";  // a, b, new, late
}

TEST_F(PlatformFilesTest, FoldersAndPathParts) {
  EXPECT_TRUE(isDirectory(path("sub")));
  EXPECT_FALSE(isDirectory(path("a.png")));
  EXPECT_FALSE(isDirectory(path("missing")));
  EXPECT_EQ(splitPath("photos/2024/cat.jpg").folder, "photos/2024/");
  EXPECT_EQ(splitPath("photos/2024/cat.jpg").name, "cat.jpg");
  EXPECT_EQ(splitPath("cat.jpg").folder, "");
  EXPECT_EQ(splitPath("/cat").folder, "/");
  EXPECT_EQ(splitPath("out/").name, "");
  EXPECT_EQ(joinPath("out/", "cat.prg"), "out/cat.prg");
  EXPECT_EQ(joinPath("", "cat.prg"), "cat.prg");
}

TEST_F(PlatformFilesTest, CreateFoldersMakesEveryMissingOneOnce) {
  const std::string deep = joinPath(joinPath(path("new"), "deeper"), "deepest");
  createFolders(deep);
  EXPECT_TRUE(isDirectory(deep));
  createFolders(deep);  // there already
  EXPECT_TRUE(isDirectory(deep));
  EXPECT_THROW(createFolders(joinPath(path("a.png"), "sub")), FileWriteError)
      << "a file where a folder must go";
}

}  // namespace
}  // namespace peltrix
