#include "frontends/cli/warnings.hpp"

namespace peltrix::cli {

namespace {

std::string sizeText(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

std::vector<std::string> optionWarnings(const Request& r) {
  std::vector<std::string> out;
  // "Ass Lace" picks the mask viewer, which --c64-frames shows too; NTSC only retimes the
  // viewers, so what --c64-frames shows is the same either way.
  const bool program = r.writesProgram();
  if (r.job.assLace) {
    if (!r.showsViewer()) {
      out.push_back("--ass-lace is ignored: no .prg is written");
    } else if (r.job.superFlicker) {
      out.push_back("--ass-lace is ignored with --super-flicker");
    } else if (r.job.fli) {
      out.push_back("--ass-lace is ignored in FLI mode (it needs --no-fli)");
    }
  }
  // --ntsc also picks the pixel shape of --fit and --fill unless --aspect does.
  const bool ntscShapesFraming = r.job.framing.scales() && !r.aspectGiven;
  if (r.job.ntsc && !program && !ntscShapesFraming) {
    out.push_back("--ntsc is ignored: no .prg is written");
  }
  if (r.aspectGiven && !r.job.framing.scales()) {
    out.push_back("--aspect is ignored without --fit or --fill");
  }
  return out;
}

std::vector<std::string> pictureWarnings(const std::string& name, const SourcePicture& picture,
                                         const Request& r) {
  std::vector<std::string> out;
  const std::string size = sizeText(picture.width, picture.height);
  if (r.job.framing.mode == Framing::Mode::Region) {
    const uint64_t right = uint64_t{r.job.framing.left} + kWidth;
    const uint64_t bottom = uint64_t{r.job.framing.top} + kHeight;
    const bool padded = right > static_cast<uint64_t>(picture.width) ||
                        bottom > static_cast<uint64_t>(picture.height);
    if (r.offsetGiven) {
      // The region was asked for; only a region reaching past the picture is worth a word.
      if (padded) {
        out.push_back(name + ": the 320 x 200 pixels from (" + std::to_string(r.job.framing.left) +
                      ", " + std::to_string(r.job.framing.top) + ") reach past its " + size +
                      " and are padded with black");
      }
    } else {
      if (padded) {
        out.push_back(name + ": " + size +
                      " is smaller than 320 x 200 and padded with black: use --fit to scale "
                      "it up");
      }
      if (picture.width > kWidth || picture.height > kHeight) {
        out.push_back(name + ": " + size +
                      " is larger than 320 x 200; only its top-left 320 x 200 is used: --fit "
                      "or --fill scale it");
      }
    }
  }
  if (picture.transparencyFlattened) out.push_back(name + ": transparency flattened onto black");
  return out;
}

}  // namespace peltrix::cli
