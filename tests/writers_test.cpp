// File writers: the temporary-file-and-rename write, error reports, raw and program file
// contents, and the PNG of a preview picture.
#include "output/writers.hpp"

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "colour/rgb.hpp"
#include "output/viewers/viewers.hpp"
#include "scratch_folder.hpp"

namespace peltrix {
namespace {

namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class WritersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        testing::makeScratchFolder(std::string("peltrix-writers-") +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  size_t entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }
  static std::vector<uint8_t> read(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  fs::path dir_;
};

std::vector<uint8_t> numberedBuffer() {
  std::vector<uint8_t> buffer(40961);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i * 7 + i / 256);
  return buffer;
}

TEST_F(WritersTest, WriteFileCreatesAndReplacesWithoutLeavingTemporaries) {
  const std::string target = path("picture.raw");
  const std::vector<uint8_t> first(1000, 1), second(10, 2);
  writeFile(target, first);
  EXPECT_EQ(read(target), first);
  writeFile(target, second);
  EXPECT_EQ(read(target), second);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(WritersTest, AbandonedFileLeavesNothingAndKeepsTheOldTarget) {
  const std::string target = path("keep.prg");
  writeFile(target, std::vector<uint8_t>(50, 9));
  {
    AtomicFile file(target);
    file.write(std::vector<uint8_t>(5, 1));
    EXPECT_EQ(entries(), 2u);  // the temporary sits beside the target
  }
  EXPECT_EQ(read(target), std::vector<uint8_t>(50, 9));
  EXPECT_EQ(entries(), 1u);
}

TEST_F(WritersTest, FailuresNameThePathAndTheReason) {
  const std::string missing = path("no/such/folder/out.raw");
  try {
    writeFile(missing, std::vector<uint8_t>(3, 1));
    FAIL() << "expected FileWriteError";
  } catch (const FileWriteError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find(missing), std::string::npos) << what;
    EXPECT_NE(what.find("No such file or directory"), std::string::npos) << what;
  }
  try {
    writeFile(dir_.string(), std::vector<uint8_t>(3, 1));  // a folder, not a file
    FAIL() << "expected FileWriteError";
  } catch (const FileWriteError& e) {
    EXPECT_NE(std::string(e.what()).find("directory"), std::string::npos) << e.what();
  }
  EXPECT_THROW(writeFile("", std::vector<uint8_t>(1, 0)), FileWriteError);
  EXPECT_EQ(entries(), 0u);
}

TEST(RawFile, HoldsExactlyTheAssembledForm) {
  const std::vector<uint8_t> buffer = numberedBuffer();
  const auto nonFli = rawFileBytes(buffer, DataForm::NonFli);
  const auto fli = rawFileBytes(buffer, DataForm::Fli);
  ASSERT_EQ(nonFli.size(), 27648u);
  ASSERT_EQ(fli.size(), 36864u);
  EXPECT_TRUE(std::equal(fli.begin(), fli.end(), buffer.begin()));
  EXPECT_EQ(nonFli.data(), buffer.data());
}

TEST(ProgramFile, LoadAddressViewerThenDataOfTheAssembledForm) {
  const std::vector<uint8_t> buffer = numberedBuffer();
  struct Case {
    DataForm form;
    bool superFlicker, ntsc, assLace;
    size_t size;
  };
  const Case cases[] = {
      {DataForm::NonFli, false, false, false, 31746}, {DataForm::NonFli, true, true, true, 31746},
      {DataForm::NonFli, false, true, true, 31746},   {DataForm::Fli, false, false, true, 41474},
      {DataForm::Fli, true, false, false, 41474},     {DataForm::Fli, false, true, false, 41730},
      {DataForm::Fli, true, true, true, 41730},
  };
  for (const Case& c : cases) {
    const Viewer chosen =
        chooseViewer(c.form == DataForm::Fli, {c.superFlicker, c.ntsc, c.assLace});
    const auto bytes = programFileBytes(buffer, c.form, chosen);
    ASSERT_EQ(bytes.size(), c.size);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0x08);
    const auto viewer = viewerProgram(chosen);
    EXPECT_TRUE(std::equal(viewer.begin(), viewer.end(), bytes.begin() + 2));
    const size_t data = 2 + viewer.size();
    EXPECT_TRUE(std::equal(bytes.begin() + data, bytes.end(), buffer.begin()));
  }
}

TEST(PngFile, DecodesBackToThePicture) {
  RgbPicture picture(kPixels);
  for (int i = 0; i < kPixels; ++i) picture[i] = (i * 2654435761u) & 0xFFFFFF;
  const std::vector<uint8_t> bytes = pngFileBytes(picture);

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
  EXPECT_EQ(image.width, 320u);
  EXPECT_EQ(image.height, 200u);
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  for (int i = 0; i < kPixels; ++i) {
    ASSERT_EQ(packRgb(rgb[i * 3 + 0], rgb[i * 3 + 1], rgb[i * 3 + 2]), picture[i]) << i;
  }
}

}  // namespace
}  // namespace peltrix
