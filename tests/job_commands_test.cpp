// The window's commands on the shared state: opening pictures (and failing to), the
// dither level, and the save commands' preconditions, sizes and error reports.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "core/commands.hpp"
#include "job_fakes.hpp"
#include "output/writers.hpp"
#include "scratch_folder.hpp"

namespace peltrix {
namespace {

namespace fs = std::filesystem;
using testing::finishJob;
using testing::Gate;
using testing::RecordingWork;

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        testing::makeScratchFolder(std::string("peltrix-commands-") +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  static size_t fileSize(const std::string& p) { return static_cast<size_t>(fs::file_size(p)); }

  void runJob(bool fli) { testing::runRecordedJob(*state, fli); }

  std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
  fs::path dir_;
};

TEST_F(CommandsTest, OpeningAPictureReplacesTheSource) {
  const std::string file = path("grey.png");
  writeFile(file, pngFileBytes(RgbPicture(kPixels, 0x204060)));
  const CommandResult result = openPicture(*state, file);
  ASSERT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(state->sourceImage.rgb[123], 0x204060u);
}

TEST_F(CommandsTest, APictureThatCannotBeLoadedChangesNothing) {
  state->sourceImage.rgb.assign(kPixels, 0x123456);
  setDitherLevel(*state, 0);
  const std::string garbage = path("notes.jpg");
  std::ofstream(garbage) << "this is not a picture";
  for (const std::string& file : {garbage, path("missing.bmp")}) {
    const CommandResult result = openPicture(*state, file);
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_NE(result.message.find(file), std::string::npos) << result.message;
    EXPECT_EQ(state->sourceImage.rgb[0], 0x123456u);
  }
}

TEST_F(CommandsTest, OpenIsRefusedWhileAJobRuns) {
  RecordingWork a, b;
  Gate gate;
  a.onSearch = [&](int) { gate.wait(); };
  const JobSeams seams = testing::seamsFor(a, b);
  ASSERT_EQ(startJob(*state, JobSettings{}, nullptr, &seams), StartResult::Started);
  EXPECT_EQ(openPicture(*state, path("missing.png")).outcome, Outcome::Refused);
  EXPECT_EQ(saveRaw(*state, path("x.raw")).outcome, Outcome::Refused);
  gate.open();
  finishJob(*state);
  EXPECT_FALSE(fs::exists(path("x.raw")));
}

TEST_F(CommandsTest, DitherLevelIsClampedAndTakenByTheNextJob) {
  state->sourceImage.rgb.assign(kPixels, 0xFFFFFF);
  setDitherLevel(*state, 9);
  EXPECT_EQ(state->chosen.ditherLevel, 3);
  setDitherLevel(*state, -1);
  EXPECT_EQ(state->chosen.ditherLevel, 0);
  setDitherLevel(*state, 3);
  runJob(false);
  EXPECT_EQ(state->sourceRgb[kWidth * 7], 0xC0C0C0u);  // matrix entry 63 off each channel
}

TEST_F(CommandsTest, SavingNeedsAFinishedResult) {
  EXPECT_EQ(saveRaw(*state, path("a.raw")).outcome, Outcome::Refused);
  EXPECT_EQ(saveProgram(*state, path("a.prg"), {}).outcome, Outcome::Refused);
  EXPECT_FALSE(fs::exists(path("a.raw")));
  EXPECT_FALSE(fs::exists(path("a.prg")));
}

TEST_F(CommandsTest, SavesWriteTheFormTheResultWasAssembledIn) {
  runJob(false);
  ASSERT_TRUE(saveRaw(*state, path("n.raw")).ok());
  EXPECT_EQ(fileSize(path("n.raw")), 27648u);
  ASSERT_TRUE(saveProgram(*state, path("n.prg"), {false, true, true}).ok());
  EXPECT_EQ(fileSize(path("n.prg")), 31746u);

  runJob(true);
  ASSERT_TRUE(saveRaw(*state, path("f.raw")).ok());
  EXPECT_EQ(fileSize(path("f.raw")), 36864u);
  ASSERT_TRUE(saveProgram(*state, path("f.prg"), {false, false, true}).ok());
  EXPECT_EQ(fileSize(path("f.prg")), 41474u);
  ASSERT_TRUE(saveProgram(*state, path("g.prg"), {true, true, false}).ok());
  EXPECT_EQ(fileSize(path("g.prg")), 41730u);

  std::ifstream in(path("f.raw"), std::ios::binary);
  const std::vector<uint8_t> raw{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(raw, state->result.c64Data);
}

TEST_F(CommandsTest, FailedSaveIsReportedWithPathAndReason) {
  runJob(false);
  const std::string target = path("missing-folder/out.raw");
  const CommandResult result = saveRaw(*state, target);
  EXPECT_EQ(result.outcome, Outcome::Failed);
  EXPECT_NE(result.message.find(target), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("No such file"), std::string::npos) << result.message;
}

TEST_F(CommandsTest, OpeningANewPictureKeepsTheOldResultSaveable) {
  runJob(false);
  const std::vector<uint8_t> before = state->result.c64Data;
  EXPECT_EQ(openPicture(*state, path("missing.png")).outcome, Outcome::Failed);
  EXPECT_TRUE(state->resultReady);
  EXPECT_TRUE(saveRaw(*state, path("old.raw")).ok());
  EXPECT_EQ(before, state->result.c64Data);
}

}  // namespace
}  // namespace peltrix
