// Which files each picture of a command line writes, checked before anything is converted:
// no output may be an INPUT (however spelt), none may exist unless -f says to replace it,
// and no two may name the same file. So no command line destroys a picture by accident.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "frontends/cli/cli_args.hpp"

namespace peltrix::cli {

// One file a picture's conversion writes.
struct PlannedFile {
  std::string path;
  OutputKind kind;
  int frame = 0;            // Png: 0 the blend picture, 1..3 that frame's picture
  bool asC64Shows = false;  // Png of frame 1..3: as the viewer displays it on a C64
  bool eye = false;         // Png: what the eye sees of the three frames
  bool flickerMap = false;  // Png: how strongly each pixel flickers
};

struct PlannedPicture {
  std::string input;
  std::vector<PlannedFile> files;
};

// A plan that would lose data or cannot be carried out; what() is one line naming the file.
class PlanError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The pictures of the request, each with its files: the OUTPUTs (and --frames and
// --c64-frames PREFIX files)
// for one picture; DIR/NAME.EXT for each kind of --to (and --frames) in a batch, NAME being
// the INPUT's file name without its extension. Throws PlanError.
std::vector<PlannedPicture> planOutputs(const Request& request);

}  // namespace peltrix::cli
