// Loading picture files: recognition by content, file-system errors, bad content, the real
// photos, and a second decoder's opinion on files other programs wrote.
#include <gtest/gtest.h>

#include <random>

#include "colour/picture.hpp"
#include "linux_programs.hpp"
#include "picture_fixtures.hpp"

namespace peltrix {
namespace {

using namespace fixtures;

Bytes smallBmp() {
  BmpBuilder b;
  b.width = 8, b.height = 8;
  b.pixels = bmpRows(8, 8, 24, false, distinct);
  return b.build();
}

TEST(PictureLoad, FormatComesFromContentNotName) {
  ScratchDir dir;
  JpegOptions o;
  o.width = o.height = 8;
  const std::string jpegAsBmp =
      dir.write("photo.bmp", encodeJpeg(o, [](int, int) { return 0xFFFFFFu; }));
  const std::string pngAsJpg = dir.write("photo.jpg", encodeRgbPng(8, 8, distinct));
  const std::string bmpAsPng = dir.write("photo.png", smallBmp());
  const std::string noName = dir.write("photo", smallBmp());
  EXPECT_GE(green(loadPicture(jpegAsBmp).rgb[0]), 250u);
  EXPECT_EQ(loadPicture(pngAsJpg).rgb, expectedTopLeft(8, 8, distinct));
  EXPECT_EQ(loadPicture(bmpAsPng).rgb, expectedTopLeft(8, 8, distinct));
  EXPECT_EQ(loadPicture(noName).rgb, expectedTopLeft(8, 8, distinct));
}

TEST(PictureLoad, BadContentIsNamed) {
  ScratchDir dir;
  const std::string empty = dir.write("empty.jpg", {});
  EXPECT_EQ(loadError(empty), empty + ": empty file");

  const std::string text = dir.write("fruits.jpg", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
  EXPECT_EQ(loadError(text), text + ": not a JPEG, PNG or BMP picture");

  std::mt19937 random(42);
  Bytes noise(4096);
  for (auto& b : noise) b = static_cast<uint8_t>(random());
  noise[0] = 0x00;  // keep clear of the three signatures
  const std::string noisy = dir.write("noise.png", noise);
  EXPECT_EQ(loadError(noisy), noisy + ": not a JPEG, PNG or BMP picture");

  // Random bytes behind each signature: each decoder names its own trouble.
  for (const Bytes& signature :
       {Bytes{0xFF, 0xD8, 0xFF}, Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
        Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0}}) {
    for (int trial = 0; trial < 50; ++trial) {
      Bytes bytes = signature;
      for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<uint8_t>(random()));
      try {
        decodePicture(bytes, "noise");
      } catch (const PictureLoadError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("noise: ", 0), 0u) << e.what();
      }
    }
  }
}

TEST(PictureLoad, FileSystemTroubleIsNamed) {
  ScratchDir dir;
  const std::string missing = (dir.path() / "missing.jpg").string();
  EXPECT_EQ(loadError(missing), missing + ": cannot open (No such file or directory)");
  EXPECT_EQ(loadError(dir.path().string()),
            dir.path().string() + ": is a directory, not a picture file");
  const std::string file = dir.write("plain.bmp", smallBmp());
  EXPECT_EQ(loadError(file + "/inside.jpg"), file + "/inside.jpg: cannot open (Not a directory)");
  EXPECT_EQ(loadError(""), "no file name given");
}

TEST(PictureLoad, FailedLoadLeavesThePreviousPictureAlone) {
  ScratchDir dir;
  SourcePicture picture = loadPicture(dir.write("good.png", encodeRgbPng(400, 300, distinct)));
  const SourcePicture before = picture;
  Bytes truncated = encodeRgbPng(400, 300, gradient);
  truncated.resize(truncated.size() / 2);
  for (const std::string& bad : {dir.write("half.png", truncated), dir.write("empty.bmp", {}),
                                 (dir.path() / "none.jpg").string(), dir.path().string()}) {
    EXPECT_THROW(picture = loadPicture(bad), PictureLoadError) << bad;
    EXPECT_EQ(picture.width, before.width);
    EXPECT_EQ(picture.height, before.height);
    EXPECT_EQ(picture.rgb, before.rgb);
  }
}

// ---- the real photos, checked against ImageMagick's decoding of the same files ----

// Why ImageMagick's convert cannot be run here; empty when it can.
std::string whyNoConvert() {
  return whyNoLinuxProgram("/usr/bin/convert");
}

// The top-left 320 x 200 of `path` as another program decodes it (black outside).
std::vector<uint32_t> decodedByConvert(const std::string& path, const ScratchDir& dir) {
  const std::string out = (dir.path() / "convert.rgb").string();
  const std::string command = "/usr/bin/convert '" + path +
                              "' -crop 320x200+0+0 +repage -background black -extent 320x200 "
                              "-alpha remove -depth 8 rgb:'" +
                              out + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream in(out, std::ios::binary);
  std::vector<uint32_t> pixels;
  for (char c[3]; in.read(c, 3);)
    pixels.push_back(packRgb(uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2])));
  return pixels;
}

TEST(PictureLoad, RealPhotosMatchAnotherDecoder) {
  const std::string data = std::string(PELTRIX_SHARED_DIR) + "/testdata/";
  if (!std::filesystem::exists(data + "fruits.jpg")) GTEST_SKIP() << "no photos in " << data;
  if (const std::string why = whyNoConvert(); !why.empty()) GTEST_SKIP() << why;
  ScratchDir dir;
  const struct {
    const char* file;
    int width, height;
  } photos[] = {{"fruits.jpg", 512, 480},
                {"baboon.jpg", 512, 512},
                {"butterfly.jpg", 493, 356},
                {"smarties.png", 413, 356},
                {"HappyFish.jpg", 259, 194}};
  for (const auto& photo : photos) {
    SCOPED_TRACE(photo.file);
    const SourcePicture p = loadPicture(data + photo.file);
    EXPECT_EQ(p.width, photo.width);
    EXPECT_EQ(p.height, photo.height);
    const std::vector<uint32_t> reference = decodedByConvert(data + photo.file, dir);
    ASSERT_EQ(reference.size(), std::size_t{kPixels});
    EXPECT_LE(maxChannelDifference(p.rgb, reference), 1);
  }
}

TEST(PictureLoad, SmallPhotoIsBlackOutside) {
  const std::string path = std::string(PELTRIX_SHARED_DIR) + "/testdata/HappyFish.jpg";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
  const SourcePicture p = loadPicture(path);
  int lit = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (x >= 259 || y >= 194) {
        ASSERT_EQ(p.rgb[y * kWidth + x], 0u) << x << "," << y;
      } else {
        lit += p.rgb[y * kWidth + x] != 0;
      }
    }
  }
  EXPECT_GT(lit, 259 * 194 / 2);
}

// Files another program wrote, in the variants users meet.
TEST(PictureLoad, FilesWrittenByImageMagickDecode) {
  if (const std::string why = whyNoConvert(); !why.empty()) GTEST_SKIP() << why;
  ScratchDir dir;
  // 97 x 61 with 16 colours, so palette variants stay exact.
  auto pattern = [](int x, int y) {
    static const uint32_t colours[16] = {0x000000, 0xFFFFFF, 0x880000, 0xAAFFEE, 0xCC44CC, 0x00CC55,
                                         0x0000AA, 0xEEEE77, 0xDD8855, 0x664400, 0xFF7777, 0x333333,
                                         0x777777, 0xAAFF66, 0x0088FF, 0xBBBBBB};
    return colours[(x / 3 + y / 2 + (x * y) % 3) % 16];
  };
  Bytes ppm;
  const std::string header = "P6\n97 61\n255\n";
  ppm.assign(header.begin(), header.end());
  for (int y = 0; y < 61; ++y)
    for (int x = 0; x < 97; ++x)
      ppm.insert(ppm.end(), {uint8_t(red(pattern(x, y))), uint8_t(green(pattern(x, y))),
                             uint8_t(blue(pattern(x, y)))});
  const std::string source = dir.write("source.ppm", ppm);
  const std::vector<uint32_t> want = expectedTopLeft(97, 61, pattern);

  const struct {
    const char* options;
    const char* target;
    int tolerance;  // largest channel difference; JPEGs: mean difference over the kept area
  } variants[] = {
      {"", "BMP3:v3.bmp", 0},
      {"", "BMP2:v2.bmp", 0},
      {"", "BMP:v5.bmp", 0},
      {"-type palette", "BMP3:palette.bmp", 0},
      {"-type palette -compress RLE", "BMP3:rle8.bmp", 0},
      {"-alpha on", "BMP:alpha.bmp", 0},
      {"-define bmp:subtype=RGB565", "BMP:565.bmp", 8},  // 5 bits: steps of 8.2
      {"-define bmp:subtype=RGB555", "BMP:555.bmp", 8},
      {"", "PNG24:rgb.png", 0},
      {"-define png:color-type=3", "PNG8:palette.png", 0},
      {"-depth 16", "PNG48:deep.png", 0},
      {"-interlace PNG", "PNG24:interlaced.png", 0},
      {"-alpha on -channel A -evaluate set 100% +channel", "PNG32:alpha.png", 0},
      {"-quality 95", "JPEG:baseline.jpg", -1},
      {"-quality 95 -interlace JPEG", "JPEG:progressive.jpg", -1},
      {"-quality 95 -colorspace CMYK", "JPEG:cmyk.jpg", -1},
  };
  for (const auto& v : variants) {
    SCOPED_TRACE(v.target);
    const std::string target = v.target;
    const std::string file = (dir.path() / target.substr(target.find(':') + 1)).string();
    const std::string command = "/usr/bin/convert '" + source + "' " + v.options + " " +
                                target.substr(0, target.find(':') + 1) + "'" + file +
                                "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const SourcePicture p = loadPicture(file);
    EXPECT_EQ(p.width, 97);
    EXPECT_EQ(p.height, 61);
    if (v.tolerance >= 0) {
      EXPECT_LE(maxChannelDifference(p.rgb, want), v.tolerance);
    } else {
      // Only the picture's own area: the black outside is trivially right.
      std::vector<uint32_t> got, expected;
      for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 97; ++x)
          got.push_back(p.rgb[y * kWidth + x]), expected.push_back(want[y * kWidth + x]);
      EXPECT_LE(meanChannelDifference(got, expected), 4.0);
    }
  }
  // A greyscale JPEG comes out grey.
  const SourcePicture grey = [&] {
    const std::string file = (dir.path() / "grey.jpg").string();
    const std::string command =
        "/usr/bin/convert '" + source + "' -colorspace Gray -quality 98 '" + file + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return loadPicture(file);
  }();
  for (uint32_t v : grey.rgb) ASSERT_TRUE(red(v) == green(v) && green(v) == blue(v));
}

}  // namespace
}  // namespace peltrix
