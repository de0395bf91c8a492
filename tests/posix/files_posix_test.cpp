// What the file layer does with POSIX's own kinds of files and limits: symbolic links, a FIFO,
// a file without read permission, permission bits kept on replacing, and a write cut short by
// a file size limit (as a full disk would). tests/windows holds the Windows forms of these.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "colour/picture.hpp"
#include "output/writers.hpp"
#include "picture_fixtures.hpp"
#include "platform/config_folder.hpp"
#include "platform/files.hpp"

namespace peltrix {
namespace {

using namespace fixtures;

std::vector<uint8_t> readBytes(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

size_t entries(const ScratchDir& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

TEST(Files, SymbolicLinksAndDanglingOnes) {
  ScratchDir dir;
  const std::filesystem::path a = dir.path() / "a.png";
  std::ofstream(a) << "a";
  std::filesystem::create_symlink(a, dir.path() / "link.png");
  std::filesystem::create_symlink(dir.path() / "gone.png", dir.path() / "dangling.png");
  EXPECT_TRUE(sameFile(a.string(), (dir.path() / "link.png").string()));
  EXPECT_TRUE(pathExists((dir.path() / "dangling.png").string()));
  EXPECT_FALSE(pathExists((dir.path() / "gone.png").string()));
  EXPECT_FALSE(sameFile((dir.path() / "dangling.png").string(), a.string()));
}

TEST(Files, ALinkToAFolderIsAFolderAndNamesJoinWithASlash) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.path() / "sub");
  std::filesystem::create_symlink(dir.path() / "sub", dir.path() / "sublink");
  EXPECT_TRUE(isDirectory((dir.path() / "sublink").string()));
  EXPECT_EQ(joinPath("out", "cat.prg"), "out/cat.prg");
}

// Sets an environment variable for one test and puts the old value back.
class EnvironmentVariable {
 public:
  EnvironmentVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~EnvironmentVariable() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(ConfigFolder, XdgConfigHomeOrElseTheHomesConfigFolder) {
  EnvironmentVariable home("HOME", "/home/zoe");
  {
    EnvironmentVariable config("XDG_CONFIG_HOME", "/etc/zoe");
    EXPECT_EQ(userConfigFolder("peltrix"), "/etc/zoe/peltrix");
  }
  for (const char* unusable : {"", "relative/config"}) {
    EnvironmentVariable config("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(userConfigFolder("peltrix"), "/home/zoe/.config/peltrix") << unusable;
  }
  EnvironmentVariable config("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(userConfigFolder("peltrix"), "/home/zoe/.config/peltrix");
  EnvironmentVariable noHome("HOME", nullptr);
  EXPECT_EQ(userConfigFolder("peltrix"), "") << "nowhere to keep settings";
}

TEST(PictureLoad, FifoIsRefusedWithoutWaitingForAWriter) {
  ScratchDir dir;
  const std::string fifo = (dir.path() / "pipe.jpg").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(loadError(fifo), fifo + ": not a regular file");  // and it must not block
}

TEST(PictureLoad, UnreadableFileIsNamed) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: file permissions do not stop root";
  ScratchDir dir;
  const std::string file = dir.write("secret.jpg", encodeRgbPng(8, 8, distinct));
  ::chmod(file.c_str(), 0);
  EXPECT_EQ(loadError(file), file + ": cannot open (Permission denied)");
}

TEST(Writers, ReplacingKeepsTheTargetsPermissions) {
  ScratchDir dir;
  const std::string target = (dir.path() / "mode.raw").string();
  writeFile(target, std::vector<uint8_t>(3, 1));
  ::chmod(target.c_str(), 0640);
  writeFile(target, std::vector<uint8_t>(3, 2));
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(Writers, WriteErrorIsReportedAndTheOldFileSurvives) {
  ScratchDir dir;
  const std::string target = (dir.path() / "big.raw").string();
  writeFile(target, std::vector<uint8_t>(4, 7));
  // A file size limit makes write() fail part-way, as a full disk would.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string what;
  try {
    writeFile(target, std::vector<uint8_t>(20000, 1));
  } catch (const FileWriteError& e) {
    what = e.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_NE(what.find(target), std::string::npos) << "no error reported: " << what;
  EXPECT_NE(what.find("too large"), std::string::npos) << what;
  EXPECT_EQ(readBytes(target), std::vector<uint8_t>(4, 7));
  EXPECT_EQ(entries(dir), 1u);
}

}  // namespace
}  // namespace peltrix
