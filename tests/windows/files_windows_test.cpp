// What the file layer does with Windows' own kinds of files and paths: pipes and devices,
// files another program holds open, hidden and read-only targets, non-ASCII names that must
// reach the disk in UTF-16, backslashes, and the console question. These are the Windows
// forms of the POSIX cases in tests/posix.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "colour/picture.hpp"
#include "output/writers.hpp"
#include "picture_fixtures.hpp"
#include "platform/config_folder.hpp"
#include "platform/files.hpp"
#include "platform/text_windows.hpp"

namespace peltrix {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

std::string writeError(const std::string& path, const std::vector<uint8_t>& bytes) {
  try {
    writeFile(path, bytes);
  } catch (const FileWriteError& e) {
    return e.what();
  }
  return "written";
}

// A path in the program's own spelling: UTF-8 (fs::path::string() would use the ANSI code
// page).
std::string utf8(const fs::path& p) {
  const std::u8string text = p.u8string();
  return {text.begin(), text.end()};
}

std::vector<uint8_t> readBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::wstring> namesIn(const fs::path& folder) {
  std::vector<std::wstring> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
  return names;
}

// Another program's handle on a file, with the sharing it allows others.
class HeldOpen {
 public:
  HeldOpen(const fs::path& p, DWORD share)
      : h_(CreateFileW(p.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldOpen() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

TEST(PictureLoad, PipesAndDevicesAreRefusedWithoutBlocking) {
  const std::string pipe = "\\\\.\\pipe\\peltrix-test-" + std::to_string(GetCurrentProcessId());
  const HANDLE server = CreateNamedPipeW(toUtf16(pipe).c_str(), PIPE_ACCESS_OUTBOUND,
                                         PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  // Nothing is ever written into the pipe: reading it would wait for ever.
  EXPECT_EQ(loadError(pipe), pipe + ": not a regular file");
  CloseHandle(server);
  EXPECT_EQ(loadError("NUL"), "NUL: not a regular file");
}

TEST(PictureLoad, FileHeldOpenByAnotherProgramIsNamed) {
  ScratchDir dir;
  const std::string file = dir.write("locked.png", encodeRgbPng(8, 8, distinct));
  {
    const HeldOpen other(fs::path(file), 0);  // no sharing at all
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(loadError(file), file + ": cannot open (the file is in use by another program)");
  }
  EXPECT_EQ(loadPicture(file).rgb, expectedTopLeft(8, 8, distinct));
}

TEST(Writers, ReplacingKeepsHiddenAndRefusesReadOnlyTargets) {
  ScratchDir dir;
  const fs::path hidden = dir.path() / "hidden.raw";
  writeFile(hidden.string(), std::vector<uint8_t>(3, 1));
  ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
  writeFile(hidden.string(), std::vector<uint8_t>(5, 2));
  EXPECT_EQ(readBytes(hidden), std::vector<uint8_t>(5, 2));
  EXPECT_TRUE(GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);

  const fs::path readOnly = dir.path() / "kept.prg";
  writeFile(readOnly.string(), std::vector<uint8_t>(3, 7));
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string what = writeError(readOnly.string(), std::vector<uint8_t>(9, 8));
  EXPECT_EQ(what, "cannot write " + readOnly.string() + ": Permission denied");
  EXPECT_EQ(readBytes(readOnly), std::vector<uint8_t>(3, 7));
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(namesIn(dir.path()).size(), 2u);  // no temporary left behind
}

TEST(Writers, TargetHeldOpenByAnotherProgramSurvivesAFailedReplace) {
  ScratchDir dir;
  const fs::path target = dir.path() / "shown.prg";
  writeFile(target.string(), std::vector<uint8_t>(4, 1));
  {
    // An emulator that has the program open, letting others read but not delete it.
    const HeldOpen emulator(target, FILE_SHARE_READ);
    ASSERT_TRUE(emulator.ok());
    const std::string what = writeError(target.string(), std::vector<uint8_t>(6, 2));
    EXPECT_EQ(what.rfind("cannot write " + target.string() + ": ", 0), 0u) << what;
    EXPECT_EQ(readBytes(target), std::vector<uint8_t>(4, 1));
  }
  EXPECT_EQ(namesIn(dir.path()).size(), 1u);
  writeFile(target.string(), std::vector<uint8_t>(6, 2));  // free again: it works
  EXPECT_EQ(readBytes(target), std::vector<uint8_t>(6, 2));
}

TEST(Files, NonAsciiNamesReachTheDiskInUtf16) {
  ScratchDir dir;
  const fs::path folder = dir.path() / L"Zo\u00eb";
  fs::create_directories(folder);
  const std::string picture = utf8(folder / L"Stra\u00dfe.png");
  EXPECT_EQ(picture.substr(picture.size() - 16),
            "Zo\xc3\xab\\Stra\xc3\x9f"
            "e.png");

  writeFile(picture, encodeRgbPng(8, 8, distinct));
  EXPECT_EQ(namesIn(folder), std::vector<std::wstring>{L"Stra\u00dfe.png"});
  EXPECT_TRUE(pathExists(picture));
  EXPECT_EQ(loadPicture(picture).rgb, expectedTopLeft(8, 8, distinct));
  EXPECT_TRUE(sameFile(picture, utf8(dir.path()) + "/Zo\xc3\xab/Stra\xc3\x9f"
                                                   "e.png"));

  // A name that is no UTF-8 is refused, not read as some other file.
  const std::string broken = utf8(folder) +
                             "\\Stra\xdf"
                             "e.png";
  EXPECT_FALSE(pathExists(broken));
  EXPECT_EQ(loadError(broken).rfind(broken + ": cannot open (", 0), 0u);
  EXPECT_NE(writeError(broken, std::vector<uint8_t>{1}), "written");
  EXPECT_EQ(namesIn(folder).size(), 1u);
}

TEST(Files, TheConfigFolderIsInAppDataAndMadeWithItsNonAsciiName) {
  ScratchDir dir;
  wchar_t old[MAX_PATH] = L"";
  const bool hadAppData = GetEnvironmentVariableW(L"APPDATA", old, MAX_PATH) > 0;
  const fs::path appData = dir.path() / L"Zo\u00eb" / L"Roaming";
  SetEnvironmentVariableW(L"APPDATA", appData.c_str());
  const std::string folder = userConfigFolder("peltrix");
  SetEnvironmentVariableW(L"APPDATA", hadAppData ? old : nullptr);
  EXPECT_EQ(folder, utf8(appData) + "\\peltrix");
  createFolders(folder);
  EXPECT_TRUE(fs::is_directory(appData / L"peltrix"));
}

TEST(Files, BackslashesAndCaseSpellTheSameFile) {
  ScratchDir dir;
  const std::string forward = utf8(dir.path()) + "/sub/a.png";
  const std::string backward = utf8(dir.path()) + "\\sub\\a.png";
  fs::create_directories(dir.path() / "sub");
  writeFile(backward, std::vector<uint8_t>{1, 2, 3});
  EXPECT_TRUE(sameFile(forward, backward));
  EXPECT_TRUE(sameFile(forward, utf8(dir.path()) + "\\SUB\\A.PNG"));
  EXPECT_FALSE(sameFile(forward, utf8(dir.path()) + "\\sub"));
  {
    // The temporary goes beside the target, whichever separator the path uses.
    AtomicFile file(backward);
    EXPECT_EQ(namesIn(dir.path() / "sub").size(), 2u);
    EXPECT_EQ(namesIn(dir.path()).size(), 1u);
  }
  EXPECT_EQ(readBytes(dir.path() / "sub" / "a.png"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(loadError(forward + "\\inside.jpg"),
            forward + "\\inside.jpg: cannot open (Not a directory)");
}

TEST(Files, PathsSplitAndJoinAtEitherSeparatorAndAfterADrive) {
  EXPECT_EQ(splitPath("C:\\Bilder\\cat.jpg").folder, "C:\\Bilder\\");
  EXPECT_EQ(splitPath("C:\\Bilder/cat.jpg").name, "cat.jpg");
  EXPECT_EQ(splitPath("C:cat.jpg").folder, "C:");
  EXPECT_EQ(splitPath("C:cat.jpg").name, "cat.jpg");
  EXPECT_EQ(splitPath("cat.jpg").folder, "");
  EXPECT_EQ(joinPath("C:\\C64", "cat.prg"), "C:\\C64\\cat.prg");
  EXPECT_EQ(joinPath("C:\\C64\\", "cat.prg"), "C:\\C64\\cat.prg");
  EXPECT_EQ(joinPath("out/", "cat.prg"), "out/cat.prg");
  EXPECT_EQ(joinPath("D:", "cat.prg"), "D:cat.prg");
  // Names that Windows takes for one file compare equal.
  EXPECT_EQ(fileNameKey("Cat.PRG"), fileNameKey("cat.prg"));
  EXPECT_EQ(fileNameKey("Stra\xc3\x9f"
                        "e.prg"),
            fileNameKey("STRA\xc3\x9f"
                        "E.PRG"));
  EXPECT_NE(fileNameKey("cat.prg"), fileNameKey("dog.prg"));
}

TEST(Files, LongPathsAreMadeWholeAndMarkedShortOnesKeptAsTheyAre) {
  EXPECT_EQ(windowsPath("C:\\Bilder\\cat.jpg"), L"C:\\Bilder\\cat.jpg");
  EXPECT_EQ(windowsPath("out/cat.prg"), L"out/cat.prg");
  EXPECT_EQ(windowsPath("Stra\xdf"
                        "e.png"),
            L"")
      << "no UTF-8: no path";

  const std::string folder(120, 'f');
  const std::string longPath = "C:/" + folder + "/x/../" + folder + "/cat.jpg";
  const std::wstring wideFolder(folder.begin(), folder.end());
  EXPECT_EQ(windowsPath(longPath), L"\\\\?\\C:\\" + wideFolder + L"\\" + wideFolder + L"\\cat.jpg")
      << "whole, backslashed, the .. resolved: the marked form is taken literally";
  EXPECT_EQ(windowsPath("\\\\server\\share\\" + folder + "\\" + folder + "\\cat.jpg"),
            L"\\\\?\\UNC\\server\\share\\" + wideFolder + L"\\" + wideFolder + L"\\cat.jpg");
  const std::string marked = "\\\\?\\C:\\" + folder + "\\" + folder + "\\cat.jpg";
  EXPECT_EQ(windowsPath(marked), std::wstring(marked.begin(), marked.end()));
}

TEST(Files, PicturesAndSavesWorkPastTheOld260CharacterLimit) {
  ScratchDir dir;
  // The C library cannot remove so deep a tree (std::filesystem fails on it): the test does.
  struct DeepTree {
    std::vector<std::string> folders, files;
    ~DeepTree() {
      for (const std::string& f : files) DeleteFileW(windowsPath(f).c_str());
      for (auto f = folders.rbegin(); f != folders.rend(); ++f)
        RemoveDirectoryW(windowsPath(*f).c_str());
    }
  } tree;
  std::string folder = utf8(dir.path());
  for (int level = 0; level < 4; ++level) {
    folder += "\\Bilder von Zo\xc3\xab, Teil " + std::to_string(level) + std::string(60, '_');
    ASSERT_TRUE(CreateDirectoryW(windowsPath(folder).c_str(), nullptr)) << folder;
    tree.folders.push_back(folder);
  }
  const std::string picture = folder +
                              "\\Stra\xc3\x9f"
                              "e.png";
  const std::string program = folder +
                              "/Stra\xc3\x9f"
                              "e.prg";
  ASSERT_GT(program.size(), 300u);
  tree.files = {picture, program};

  writeFile(picture, encodeRgbPng(8, 8, distinct));
  EXPECT_TRUE(pathExists(picture));
  EXPECT_TRUE(isDirectory(folder));
  EXPECT_EQ(loadPicture(picture).rgb, expectedTopLeft(8, 8, distinct));
  EXPECT_TRUE(sameFile(picture, folder + "/./Stra\xc3\x9f"
                                         "e.png"));
  {
    AtomicFile file(program);
    file.write(std::vector<uint8_t>{1, 2, 3});
    file.commitNew();
  }
  EXPECT_EQ(readWholeFile(program, 16), (std::vector<uint8_t>{1, 2, 3}));
  writeFile(program, std::vector<uint8_t>{4});  // replacing works there too
  EXPECT_EQ(readWholeFile(program, 16), (std::vector<uint8_t>{4}));
  EXPECT_FALSE(sameFile(picture, program));
}

TEST(Files, CommitNewNeverReplacesAFileThatAppeared) {
  ScratchDir dir;
  const std::string target = utf8(dir.path() / "late.prg");
  AtomicFile file(target);
  file.write(std::vector<uint8_t>{1});
  writeFile(target, std::vector<uint8_t>{9, 9});  // another program got there first
  EXPECT_THROW(file.commitNew(), FileWriteError);
  EXPECT_EQ(readBytes(dir.path() / "late.prg"), (std::vector<uint8_t>{9, 9}));
  EXPECT_EQ(namesIn(dir.path()).size(), 1u);
  EXPECT_TRUE(isDirectory(utf8(dir.path())));
  EXPECT_FALSE(isDirectory(target));
}

TEST(Files, OnlyAConsoleIsATerminal) {
  // The NUL device is a character device, which _isatty alone takes for a terminal.
  std::FILE* nul = std::fopen("NUL", "w");
  ASSERT_NE(nul, nullptr);
  EXPECT_FALSE(isTerminal(nul));
  std::fclose(nul);
  ScratchDir dir;
  std::FILE* file = std::fopen((dir.path() / "log.txt").string().c_str(), "w");
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(isTerminal(file));
  std::fclose(file);
}

}  // namespace
}  // namespace peltrix
