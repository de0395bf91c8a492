// Running the built peltrix-convert in a scratch folder of its own: with stdout and stderr
// in files, or with stderr on a pseudo terminal; and reading back the PNGs it writes.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace peltrix::cli_testing {

namespace fs = std::filesystem;

#ifdef PELTRIX_CONVERT
inline const char* const kConvert = PELTRIX_CONVERT;
#else
inline const char* const kConvert = nullptr;
#endif

inline const fs::path kPhotos = fs::path(PELTRIX_SHARED_DIR) / "testdata";

struct ProgramRun {
  int status = -1;
  std::string out, err;
};

inline std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class CliConvert : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kConvert == nullptr || !fs::exists(kConvert)) GTEST_SKIP() << "peltrix-convert not built";
    dir_ = fs::temp_directory_path() /
           ("peltrix-cli-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  static bool photosPresent() { return fs::exists(kPhotos / "HappyFish.jpg"); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string photo(const std::string& name) { return (kPhotos / name).string(); }

  // Runs the converter with stdout and stderr going to files (not a terminal).
  ProgramRun run(const std::vector<std::string>& args) const {
    const std::string outFile = path(".stdout"), errFile = path(".stderr");
    const pid_t pid = fork();
    if (pid == 0) {
      const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(out, STDOUT_FILENO);
      ::dup2(err, STDERR_FILENO);
      execArgs(args);
    }
    ProgramRun r;
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readAll(outFile);
    r.err = readAll(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return r;
  }

  // Runs it with stderr on a pseudo terminal and returns what appeared there.
  std::string runOnTerminal(const std::vector<std::string>& args, int expectedStatus = 0) const {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) execArgs(args);
    std::string seen;
    char buffer[4096];
    for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) seen.append(buffer, n);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == expectedStatus) << seen;
    return seen;
  }

  size_t files() const {
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(dir_)) n += e.path().filename() != ".stdout";
    return n;
  }

  fs::path dir_;

 private:
  [[noreturn]] static void execArgs(const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(kConvert)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(kConvert, argv.data());
    _exit(127);
  }
};

// Decodes a PNG written by the converter; empty when it is not one.
inline std::vector<uint8_t> decodePng(const std::string& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (image.width != 320 || image.height != 200 ||
      !png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    return {};
  }
  return rgb;
}

}  // namespace peltrix::cli_testing
