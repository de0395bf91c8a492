// The command line of peltrix-convert, parsed into what the conversions need.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "colour/framing.hpp"
#include "colour/palettes.hpp"
#include "colour/tone.hpp"
#include "core/job_settings.hpp"

namespace peltrix::cli {

// What an output file holds, chosen by an OUTPUT's extension or by --to.
enum class OutputKind { Raw, Program, Png };

struct Output {
  std::string path;
  OutputKind kind;
};

struct Request {
  enum class Action { Convert, Help, Version } action = Action::Convert;
  // One INPUT and its OUTPUTs, or with --outdir a batch of INPUTs.
  std::vector<std::string> inputs;
  std::vector<Output> outputs;  // one picture: the OUTPUTs in the order given
  std::string framesPrefix;     // one picture: --frames PREFIX (empty: none)
  std::string c64FramesPrefix;  // one picture: --c64-frames PREFIX (empty: none)
  std::string outdir;           // a batch: its folder (empty: one picture)
  std::vector<OutputKind> batchKinds{OutputKind::Program};  // a batch: --to
  bool batchFrames = false;                                 // a batch: --frames
  bool batchC64Frames = false;                              // a batch: --c64-frames
  bool force = false;                                       // replace existing outputs
  bool offsetGiven = false;
  bool aspectGiven = false;
  // Everything the conversions depend on, the window's start-up states by default: the
  // options, the dither, --palette (once loadRequestedPalette has read paletteName), the tone
  // (--brightness, --contrast, --saturation, --gamma), the framing with its aspect settled (as
  // given, else following --ntsc), --ntsc and --ass-lace.
  JobSettings job;
  std::optional<std::string> paletteName;  // --palette as given: a built-in name or a .vpl file
  bool eyeDitherGiven = false;
  std::string eyePath;           // one picture: --eye FILE (empty: none)
  bool batchEye = false;         // a batch: --to eye
  std::string flickerMapPath;    // one picture: --flicker-map FILE (empty: none)
  bool batchFlickerMap = false;  // a batch: --to flicker
  enum class Report { None, Text, Json } report = Report::None;  // --report[=json]
  bool quiet = false;

  bool batch() const { return !outdir.empty(); }
  bool writesProgram() const;
  // Whether anything shows the viewer's choice (a .prg, or --c64-frames pictures), so that
  // --ntsc and --ass-lace matter.
  bool showsViewer() const;
};

// A command line that cannot be understood; what() says why in a few words.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// args without argv[0]; reads no file (--palette's is read by loadRequestedPalette).
Request parseArguments(const std::vector<std::string>& args);

// The kind an OUTPUT's extension asks for (.raw, .prg, .png, any case); throws UsageError.
OutputKind kindOfPath(const std::string& path);

extern const char* const kHelpText;

}  // namespace peltrix::cli
