// The "Framing" menu and the source view's drag in peltrix.exe: "Fit" on a square photo and
// a real mouse drag in "Top-left, unscaled" show the framed picture and save the bytes of
// peltrix-convert.exe --fit and --offset.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "colour/framing.hpp"
#include "driven_window.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::testing {
namespace {

constexpr double kJobSeconds = 300;  // generous: the machine is shared and slow at times

class FramingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path source = sharedDir() / "testdata" / "baboon.jpg";  // 512 x 512
    if (!fs::exists(source)) GTEST_SKIP() << "../shared/testdata is missing";
    fs::copy_file(source, photo);
    peltrix =
        std::make_unique<DrivenWindow>(scratch.path(), std::vector<std::wstring>{L"baboon.jpg"});
  }

  // Whether the source view shows the photo framed so within `seconds`.
  bool showsFramed(const Framing& framing, double seconds = 20) {
    const Pixels expected = loadFramedPicture(toUtf8(photo.wstring()), framing).rgb;
    int differences = 0;
    const bool same = eventually(
        [&] {
          return (differences = differingPixels(peltrix->viewPixels(kSourceView), expected)) == 0;
        },
        seconds);
    if (!same) ADD_FAILURE() << "the source view differs in " << differences << " pixels";
    return same;
  }

  // "Process", "Save Raw", and peltrix-convert.exe with `options`: the same bytes.
  void expectTheCommandLinesBytes(const std::vector<std::wstring>& options) {
    peltrix->click(kProcessButton);
    HWND save = peltrix->waitForSaveDialog(kJobSeconds);
    ASSERT_NE(save, nullptr) << "the result never became saveable";
    peltrix->answerFileDialog(save, L"window.raw");
    ASSERT_TRUE(eventually([&] { return fs::exists(scratch / "window.raw"); }, 20));
    std::vector<std::wstring> arguments = options;
    for (const wchar_t* a : {L"-q", L"baboon.jpg", L"cli.raw"}) arguments.push_back(a);
    ASSERT_EQ(runProgram(convertExe(), arguments, scratch.path()), 0);
    ASSERT_TRUE(eventually([&] { return fileBytes(scratch / "window.raw").size() == 36864; }, 20));
    EXPECT_TRUE(fileBytes(scratch / "window.raw") == fileBytes(scratch / "cli.raw"));
  }

  ScratchFolder scratch;
  const fs::path photo = scratch / "baboon.jpg";
  std::unique_ptr<DrivenWindow> peltrix;
};

TEST_F(FramingTest, FitShowsTheWholePhotoAndConvertsLikeTheCommandLine) {
  ASSERT_TRUE(showsFramed(Framing{}));
  ASSERT_TRUE(peltrix->choose(kFitFramingItem));
  Framing fit;
  fit.mode = Framing::Mode::Fit;
  ASSERT_TRUE(showsFramed(fit));
  expectTheCommandLinesBytes({L"--fit"});
}

TEST_F(FramingTest, DraggingTheUnscaledPictureConvertsLikeTheMatchingOffset) {
  ASSERT_TRUE(showsFramed(Framing{}));
  POINT view{0, 0};
  ClientToScreen(peltrix->control(kSourceView), &view);
  // The picture moves with the mouse: 40 pixels left and 30 up show from (40, 30) on.
  peltrix->mouseDrag({view.x + 200, view.y + 150}, {view.x + 160, view.y + 120});
  Framing region;
  region.left = 40, region.top = 30;
  ASSERT_TRUE(showsFramed(region));
  expectTheCommandLinesBytes({L"--offset", L"40,30"});
}

}  // namespace
}  // namespace peltrix::testing
