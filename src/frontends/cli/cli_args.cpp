// Argument conventions come from getopt_long, which every C library the converter is built
// with has (glibc, mingw-w64, emscripten's musl): "--opt VALUE", "--opt=VALUE", "-dVALUE",
// short options run together ("-qf"), unambiguous abbreviations of long options, options
// after the INPUTs and "--" before names that start with a dash. The messages are ours.
#include "frontends/cli/cli_args.hpp"

#include <getopt.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>

#include "platform/files.hpp"

namespace peltrix::cli {

const char* const kHelpText =
    "Usage: peltrix-convert [options] INPUT OUTPUT...\n"
    "  or:  peltrix-convert [options] --outdir DIR [--to KINDS] INPUT...\n"
    "Converts pictures (JPEG, PNG or BMP) into interlaced C64 pictures: three hires\n"
    "frames that a C64 viewer program alternates. Each OUTPUT's extension picks what\n"
    "is written:\n"
    "  .raw  the C64 data of the three frames (27,648 bytes; 36,864 with FLI)\n"
    "  .prg  a C64 program: viewer and data, load address $0800\n"
    "  .png  the blend picture (the blend the match judged)\n"
    "An existing OUTPUT is replaced only with -f, and never one that is an INPUT.\n"
    "\n"
    "Framing (default: the picture's top-left 320 x 200 pixels, unscaled):\n"
    "      --fit            scale the whole picture into 320 x 200, centred on black\n"
    "      --fill           scale it to cover 320 x 200, centred, the overflow cut\n"
    "      --visible        with --fit or --fill (alone: --fit): into the 296 x 200 the\n"
    "                       viewer shows, right of the black column that hides the 24\n"
    "                       leftmost pixels (all 320 x 200 with --no-fli and\n"
    "                       --super-flicker or --ass-lace, whose viewers hide none)\n"
    "      --offset X,Y     unscaled, the 320 x 200 pixels from (X, Y) (default 0,0); with\n"
    "                       --fill, the part of the picture shown starts at (X, Y)\n"
    "      --aspect ASPECT  the C64 pixel's shape that --fit and --fill keep circles\n"
    "                       round for: pal, ntsc or square (default: pal; ntsc with\n"
    "                       --ntsc)\n"
    "\n"
    "Conversion (defaults are the window's start-up states):\n"
    "  -d, --dither N       dithering level 0..3 (default 2)\n"
    "      --reduced        use the 75 reduced colour pairs (default: all 121, \"Brute Force\")\n"
    "      --basic-exclusions\n"
    "                       basic exclusion list (default: \"Luma overload reduction\")\n"
    "      --no-fli         one colour pair per 8 x 8 cell (default: \"Per 2 line FLI\")\n"
    "      --super-flicker  \"Super Flicker reduction\"\n"
    "      --luma-only      \"Luma only mode\": compare brightness only\n"
    "      --single-thread  one worker thread (default two, \"Multithread\")\n"
    "      --palette PALETTE\n"
    "                       the 16 colours to aim at and show: pepto-pal (the default),\n"
    "                       colodore or community-colors, or a VICE palette file (.vpl);\n"
    "                       the data keeps naming colours by index\n"
    "      --brightness N   -100..100 percent of full scale added (default 0)\n"
    "      --contrast N     -100..100 percent more (or less) contrast (default 0)\n"
    "      --saturation N   0..200 percent of the colour kept (default 100; 0: grey)\n"
    "      --gamma G        0.2..5 in steps of 0.01 (default 1; above 1 lightens the\n"
    "                       mid-tones); the tone applies to the framed picture, before\n"
    "                       the dither\n"
    "      --match MATCH    how a blend of three frames is judged: classic (the default: the\n"
    "                       mean of their sRGB values, |dR|+|dG|+|dB|) or eye (the mean of\n"
    "                       their light, as the eye mixes them, measured in CIELAB)\n"
    "      --eye-dither KIND\n"
    "                       with --match eye: diffusion (the default: each pixel's error\n"
    "                       spread to its neighbours), ordered (centred, of --dither's\n"
    "                       strength) or none\n"
    "\n"
    "Output:\n"
    "      --ntsc           program file for NTSC machines (default PAL)\n"
    "      --ass-lace       \"Ass Lace\" viewer (only with --no-fli, without --super-flicker)\n"
    "      --frames PREFIX  also write PREFIX-blend.png and PREFIX-frame1.png .. frame3.png\n"
    "      --c64-frames PREFIX\n"
    "                       also write PREFIX-c64-frame1.png .. frame3.png: the frames as the\n"
    "                       program file's viewer shows them on a C64\n"
    "      --eye FILE       also write FILE (.png): what the eye sees of the three frames,\n"
    "                       the mean of their light\n"
    "      --flicker-map FILE\n"
    "                       also write FILE (.png): how strongly each pixel flickers, on a\n"
    "                       scale from black (steady) through purple (0.02, where the eye\n"
    "                       starts to see it), red (0.06) to pale yellow (0.1 and more)\n"
    "      --report[=json]  print how close the picture comes and how much it flickers:\n"
    "                       CIEDE2000 mean and 95th percentile between the toned source and\n"
    "                       what the eye sees (both blurred by 1 pixel), and the frames'\n"
    "                       flicker (mean, and the share of pixels above 0.02); one line per\n"
    "                       picture on stdout, or one JSON object per line\n"
    "  -f, --force          replace output files that exist already\n"
    "\n"
    "Batches:\n"
    "      --outdir DIR     convert every INPUT into the folder DIR, as DIR/NAME.EXT (NAME:\n"
    "                       the INPUT's file name without its extension), one after another\n"
    "                       in one process; a picture that fails does not stop the others\n"
    "      --to KINDS       what to write of each picture: prg, raw, png, eye\n"
    "                       (DIR/NAME-eye.png) and flicker (DIR/NAME-flicker.png), separated\n"
    "                       by commas (default prg)\n"
    "      --frames         with --outdir: also DIR/NAME-blend.png and NAME-frame1.png ..\n"
    "                       NAME-frame3.png\n"
    "      --c64-frames     with --outdir: also DIR/NAME-c64-frame1.png .. NAME-c64-frame3.png\n"
    "\n"
    "General:\n"
    "  -q, --quiet          no progress and no warnings, only errors\n"
    "  -h, --help           show this help\n"
    "      --version        show the version\n"
    "\n"
    "Progress (and a line per picture of a batch) is drawn on stderr when it is a\n"
    "terminal. Warnings name an option the chosen mode ignores, a picture smaller or\n"
    "larger than 320 x 200 that is used unscaled, and transparency flattened onto black.\n"
    "\n"
    "Exit status:\n"
    "  0    every picture was converted and written\n"
    "  1    an INPUT could not be read or an output not written (in a batch: at least\n"
    "       one picture failed; the others were written)\n"
    "  2    usage error, nothing written: a bad option or value, an output that exists\n"
    "       (without -f) or that is an INPUT, two outputs of one name, or an --outdir\n"
    "       that is no folder\n"
    "  130  interrupted: nothing of the picture under way was written\n"
    "\n"
    "Examples:\n"
    "  peltrix-convert photo.jpg photo.prg photo.png\n"
    "      a C64 program of the photo's top-left 320 x 200, and what the eye will see\n"
    "\n"
    "  peltrix-convert --fit --no-fli -d 0 photo.jpg photo.raw\n"
    "      the whole photo, letterboxed for PAL, as bare C64 data\n"
    "\n"
    "  peltrix-convert --fill --ntsc --outdir c64 --to prg,png *.jpg\n"
    "      every JPEG filling an NTSC screen: c64/NAME.prg and c64/NAME.png\n"
    "\n"
    "  peltrix-convert --offset 200,120 -f big.png big.prg\n"
    "      the 320 x 200 pixels from (200, 120), unscaled, replacing big.prg\n";

namespace {

std::string lowerExtension(const std::string& path) {
  const std::string name = splitPath(path).name;
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return "";
  std::string ext = name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

int parseDither(const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '3') return text[0] - '0';
  throw UsageError("dither level must be 0, 1, 2 or 3, not '" + text + "'");
}

// A whole number from `low` to `high`, with an optional sign, for a tone option.
bool allDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int parseToneValue(const std::string& option, const std::string& text, ToneRange range) {
  const int low = range.low, high = range.high;
  const std::size_t i = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  const bool digits =
      i < text.size() && text.size() - i <= 4 && allDigits(std::string_view(text).substr(i));
  const int value = digits ? std::stoi(text) : low - 1;
  if (value < low || value > high) {
    throw UsageError("--" + option + " must be a whole number from " + std::to_string(low) +
                     " to " + std::to_string(high) + ", not '" + text + "'");
  }
  return value;
}

// A gamma from 0.2 to 5 in steps of 0.01, as hundredths.
int parseGamma(const std::string& text) {
  const std::size_t dot = text.find('.');
  const std::string whole = text.substr(0, dot);
  const std::string part = dot == std::string::npos ? "" : text.substr(dot + 1);
  int hundredths = -1;
  if (!whole.empty() && whole.size() <= 2 && part.size() <= 2 && allDigits(whole) &&
      allDigits(part) && (dot == std::string::npos || !part.empty())) {
    hundredths =
        std::stoi(whole) * 100 + (part.empty() ? 0 : std::stoi(part) * (part.size() == 1 ? 10 : 1));
  }
  if (!kGammaRange.holds(hundredths)) {
    throw UsageError("--gamma must be a number from 0.2 to 5 (at most two decimals), not '" + text +
                     "'");
  }
  return hundredths;
}

// A decimal number 0 .. 2^31 - 1, nothing else.
bool parseCoordinate(const std::string& text, uint32_t& value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v > 0x7FFFFFFF) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

void parseOffset(const std::string& text, Framing& framing) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos || !parseCoordinate(text.substr(0, comma), framing.left) ||
      !parseCoordinate(text.substr(comma + 1), framing.top)) {
    throw UsageError("--offset needs X,Y in pixels, like 40,20, not '" + text + "'");
  }
}

PixelAspect parseAspect(const std::string& text) {
  if (text == "pal") return PixelAspect::Pal;
  if (text == "ntsc") return PixelAspect::Ntsc;
  if (text == "square") return PixelAspect::Square;
  throw UsageError("--aspect must be pal, ntsc or square, not '" + text + "'");
}

std::vector<OutputKind> parseKinds(const std::string& text, bool& eye, bool& flicker) {
  std::vector<OutputKind> kinds;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string word = text.substr(start, comma - start);
    OutputKind kind;
    if (word == "prg") {
      kind = OutputKind::Program;
    } else if (word == "raw") {
      kind = OutputKind::Raw;
    } else if (word == "png") {
      kind = OutputKind::Png;
    } else if (word == "eye" || word == "flicker") {
      (word == "eye" ? eye : flicker) = true;
      if (comma == std::string::npos) return kinds;
      start = comma + 1;
      continue;
    } else {
      throw UsageError("--to takes prg, raw, png, eye and flicker, separated by commas, not '" +
                       text + "'");
    }
    if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) kinds.push_back(kind);
    if (comma == std::string::npos) return kinds;
    start = comma + 1;
  }
}

enum Id : int {
  kPositional = 1,  // what getopt_long returns for a non-option with "-" leading optstring
  kHelp = 'h',
  kQuiet = 'q',
  kForce = 'f',
  kDither = 'd',
  kVersion = 256,
  kReduced,
  kBasicExclusions,
  kNoFli,
  kSuperFlicker,
  kLumaOnly,
  kNtsc,
  kAssLace,
  kSingleThread,
  kFrames,
  kC64Frames,
  kOutdir,
  kTo,
  kFit,
  kFill,
  kVisible,
  kOffset,
  kAspect,
  kPaletteOption,
  kBrightness,
  kContrast,
  kSaturation,
  kGamma,
  kMatch,
  kEyeDither,
  kEyePicture,
  kReport,
  kFlickerMap,
};

// The long options. --frames and --c64-frames take a value only as "--frames=PREFIX" here:
// a PREFIX in the next argument is taken once it is known whether --outdir makes a batch.
const option kOptions[] = {
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"quiet", no_argument, nullptr, kQuiet},
    {"force", no_argument, nullptr, kForce},
    {"dither", required_argument, nullptr, kDither},
    {"reduced", no_argument, nullptr, kReduced},
    {"basic-exclusions", no_argument, nullptr, kBasicExclusions},
    {"no-fli", no_argument, nullptr, kNoFli},
    {"super-flicker", no_argument, nullptr, kSuperFlicker},
    {"luma-only", no_argument, nullptr, kLumaOnly},
    {"ntsc", no_argument, nullptr, kNtsc},
    {"ass-lace", no_argument, nullptr, kAssLace},
    {"single-thread", no_argument, nullptr, kSingleThread},
    {"frames", optional_argument, nullptr, kFrames},
    {"c64-frames", optional_argument, nullptr, kC64Frames},
    {"outdir", required_argument, nullptr, kOutdir},
    {"to", required_argument, nullptr, kTo},
    {"fit", no_argument, nullptr, kFit},
    {"fill", no_argument, nullptr, kFill},
    {"visible", no_argument, nullptr, kVisible},
    {"offset", required_argument, nullptr, kOffset},
    {"aspect", required_argument, nullptr, kAspect},
    {"palette", required_argument, nullptr, kPaletteOption},
    {"brightness", required_argument, nullptr, kBrightness},
    {"contrast", required_argument, nullptr, kContrast},
    {"saturation", required_argument, nullptr, kSaturation},
    {"gamma", required_argument, nullptr, kGamma},
    {"match", required_argument, nullptr, kMatch},
    {"eye-dither", required_argument, nullptr, kEyeDither},
    {"eye", required_argument, nullptr, kEyePicture},
    {"report", optional_argument, nullptr, kReport},
    {"flicker-map", required_argument, nullptr, kFlickerMap},
    {nullptr, 0, nullptr, 0},
};

// "-" first: non-options come back in order as kPositional (whatever POSIXLY_CORRECT says);
// ":" next: a missing value is reported as ':' instead of a message of getopt's own.
constexpr char kShortOptions[] = "-:hqfd:";

// An option or positional as the walk met it; nothing is checked yet.
struct Occurrence {
  int id;             // an Id, or ':' / '?' for what getopt_long refused
  std::string value;  // the option's value, or the positional itself
  bool hasValue;      // a value was given (for "--frames=PREFIX")
  std::string word;   // the argument getopt_long looked at last (for messages)
  int refused;        // with ':' and '?': getopt's optopt
  size_t first, end;  // it began in args[first]; args[end] is the next one not read
};

// The arguments walked once by getopt_long, over a copy (it permutes what it is given).
// getopt's state is process-wide: optind = 0 starts afresh.
std::vector<Occurrence> walkOptions(const std::vector<std::string>& args) {
  std::vector<std::string> copies = args;
  std::vector<char*> argv{const_cast<char*>("peltrix-convert")};
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(argv.size() - 1);
  std::vector<Occurrence> found;
  optind = 0;
  opterr = 0;
  for (;;) {
    // optind moves on once an argument is done, so it names the one the next call begins in.
    const size_t first = static_cast<size_t>(std::max(optind, 1) - 1);
    optarg = nullptr;
    int index = -1;
    const int id = getopt_long(argc, argv.data(), kShortOptions, kOptions, &index);
    if (id == -1) {
      // After "--" the rest are positionals, which getopt_long leaves where they are.
      for (int i = optind; i < argc; ++i) {
        const size_t at = static_cast<size_t>(i - 1);
        found.push_back({kPositional, argv[i], true, argv[i], 0, at, at + 1});
      }
      return found;
    }
    const bool inRange = optind >= 1 && optind <= argc;
    const std::string word = inRange ? std::string(argv[optind - 1]) : std::string();
    found.push_back({id, optarg ? std::string(optarg) : std::string(), optarg != nullptr, word,
                     optopt, first, static_cast<size_t>(std::max(optind, 1) - 1)});
  }
}

const option* optionWithId(int id) {
  for (const option& o : kOptions) {
    if (o.name != nullptr && o.val == id) return &o;
  }
  return nullptr;
}

// The message for an option getopt_long refused: `id` is getopt's optopt (the option's id, a
// short option's letter, or 0 for a long option it could not match), `word` the argument.
[[noreturn]] void failOption(int id, const std::string& word, bool missingValue) {
  const option* known = optionWithId(id);
  const bool typedLong = word.rfind("--", 0) == 0;
  // Some getopt_long (mingw-w64's) report "--no-fli=1" as a missing value, glibc's as an error.
  if (known != nullptr && known->has_arg == no_argument && word.find('=') != std::string::npos) {
    throw UsageError(std::string("option --") + known->name + " takes no value");
  }
  if (missingValue) {
    if (known != nullptr && typedLong) {
      throw UsageError(std::string("option --") + known->name + " needs a value");
    }
    throw UsageError(std::string("option -") + static_cast<char>(id) + " needs a value");
  }
  if (id != 0 && known == nullptr) {  // an unknown letter, perhaps inside a cluster like -qx
    throw UsageError(std::string("unknown option '-") + static_cast<char>(id) + "'");
  }
  if (known != nullptr)
    throw UsageError(std::string("option --") + known->name + " takes no value");
  const std::string name = word.substr(0, word.find('='));
  std::string matches;
  int count = 0;
  for (const option& o : kOptions) {
    if (o.name != nullptr && typedLong && std::string(o.name).rfind(name.substr(2), 0) == 0) {
      matches += std::string(count++ == 0 ? "" : ", ") + "--" + o.name;
    }
  }
  if (count > 1) throw UsageError("ambiguous option '" + name + "' (" + matches + ")");
  throw UsageError("unknown option '" + name + "'");
}

}  // namespace

bool Request::writesProgram() const {
  if (batch()) {
    return std::find(batchKinds.begin(), batchKinds.end(), OutputKind::Program) != batchKinds.end();
  }
  return std::any_of(outputs.begin(), outputs.end(),
                     [](const Output& o) { return o.kind == OutputKind::Program; });
}

bool Request::showsViewer() const {
  return writesProgram() || !c64FramesPrefix.empty() || batchC64Frames;
}

OutputKind kindOfPath(const std::string& path) {
  const std::string ext = lowerExtension(path);
  if (ext == ".raw") return OutputKind::Raw;
  if (ext == ".prg") return OutputKind::Program;
  if (ext == ".png") return OutputKind::Png;
  throw UsageError("cannot tell what to write to '" + path + "': use .raw, .prg or .png");
}

namespace {

// What the options say beyond the request itself, checked once all are read.
struct Seen {
  bool batch = false;  // --outdir is given, wherever it stands
  bool fit = false, fill = false, visible = false, to = false;
  std::vector<std::string> positional;
};

// The options that steer the conversion and the program file; false for any other.
bool applyConversionOption(int id, const std::string& value, Request& r) {
  switch (id) {
    case kDither:
      r.job.ditherLevel = parseDither(value);
      return true;
    case kReduced:
      r.job.bruteForce = false;
      return true;
    case kBasicExclusions:
      r.job.lumaOverload = false;
      return true;
    case kNoFli:
      r.job.fli = false;
      return true;
    case kSuperFlicker:
      r.job.superFlicker = true;
      return true;
    case kLumaOnly:
      r.job.lumaOnly = true;
      return true;
    case kBrightness:
      r.job.tone.brightness = parseToneValue("brightness", value, kBrightnessRange);
      return true;
    case kContrast:
      r.job.tone.contrast = parseToneValue("contrast", value, kContrastRange);
      return true;
    case kSaturation:
      r.job.tone.saturation = parseToneValue("saturation", value, kSaturationRange);
      return true;
    case kGamma:
      r.job.tone.gammaHundredths = parseGamma(value);
      return true;
    case kPaletteOption:
      r.paletteName = value;  // read by loadRequestedPalette, not here
      return true;
    case kSingleThread:
      r.job.multithread = false;
      return true;
    case kNtsc:
      r.job.ntsc = true;
      return true;
    case kAssLace:
      r.job.assLace = true;
      return true;
    case kMatch:
      if (value != "classic" && value != "eye") {
        throw UsageError("--match must be classic or eye, not '" + value + "'");
      }
      r.job.match = value == "eye" ? engine::Match::Eye : engine::Match::Classic;
      return true;
    case kEyeDither:
      if (value == "diffusion") {
        r.job.eyeDither = EyeDither::Diffusion;
      } else if (value == "ordered") {
        r.job.eyeDither = EyeDither::Ordered;
      } else if (value == "none") {
        r.job.eyeDither = EyeDither::None;
      } else {
        throw UsageError("--eye-dither must be diffusion, ordered or none, not '" + value + "'");
      }
      r.eyeDitherGiven = true;
      return true;
    default:
      return false;
  }
}

// Where the files go and which are written.
bool applyOutputOption(int id, const std::string& value, Seen& seen, Request& r) {
  switch (id) {
    case kQuiet:
      r.quiet = true;
      return true;
    case kForce:
      r.force = true;
      return true;
    case kOutdir:
      if (value.empty()) throw UsageError("--outdir needs a non-empty DIR");
      r.outdir = value;
      return true;
    case kTo:
      r.batchKinds = parseKinds(value, r.batchEye, r.batchFlickerMap);
      seen.to = true;
      return true;
    case kEyePicture:
      if (value.empty()) throw UsageError("--eye needs a non-empty FILE");
      r.eyePath = value;
      return true;
    case kFlickerMap:
      if (value.empty()) throw UsageError("--flicker-map needs a non-empty FILE");
      r.flickerMapPath = value;
      return true;
    case kReport:
      if (value.empty()) r.report = Request::Report::Text;
      if (value == "json") {
        r.report = Request::Report::Json;
      } else if (!value.empty()) {
        throw UsageError("--report takes no value or =json, not '" + value + "'");
      }
      return true;
    default:
      return false;
  }
}

// --frames and --c64-frames: a switch in a batch; for one picture they take a PREFIX, as
// "--frames=PREFIX" or as the next argument, whatever it looks like. The walk read that
// argument as an option or positional of its own: its occurrences are passed over here, and
// an argument they took as their value is a positional after all, even one that looks like an
// option (--frames -d -q: "-q" is no --quiet). Returns the index of the last occurrence used.
size_t applyFramesOption(const std::vector<Occurrence>& all, size_t i,
                         const std::vector<std::string>& args, Seen& seen, Request& r) {
  const Occurrence& o = all[i];
  const std::string name = o.id == kFrames ? "frames" : "c64-frames";
  if (seen.batch) {
    if (o.hasValue) throw UsageError("option --" + name + " takes no value");
    (o.id == kFrames ? r.batchFrames : r.batchC64Frames) = true;
    return i;
  }
  std::string prefix = o.value;
  if (!o.hasValue) {
    if (o.end >= args.size()) throw UsageError("option --" + name + " needs a value");
    prefix = args[o.end];
    size_t next = o.end + 1;
    while (i + 1 < all.size() && all[i + 1].first == o.end) next = std::max(next, all[++i].end);
    for (size_t w = o.end + 1; w < next; ++w) seen.positional.push_back(args[w]);
  }
  if (prefix.empty()) throw UsageError("--" + name + " needs a non-empty PREFIX");
  (o.id == kFrames ? r.framesPrefix : r.c64FramesPrefix) = prefix;
  return i;
}

// How the picture is framed into 320 x 200.
bool applyFramingOption(int id, const std::string& value, Seen& seen, Request& r) {
  switch (id) {
    case kFit:
      seen.fit = true;
      return true;
    case kFill:
      seen.fill = true;
      return true;
    case kVisible:
      seen.visible = true;
      return true;
    case kOffset:
      parseOffset(value, r.job.framing);
      r.offsetGiven = true;
      return true;
    case kAspect:
      r.job.framing.aspect = parseAspect(value);
      r.aspectGiven = true;
      return true;
    default:
      return false;
  }
}

// The rules between options, once all are read.
void checkCombinations(const Seen& seen, Request& r) {
  if (seen.fit && seen.fill) throw UsageError("--fit and --fill cannot be combined");
  // --offset places the unscaled region, or the part --fill shows; --fit shows all.
  if (seen.fit && r.offsetGiven) throw UsageError("--offset cannot be combined with --fit");
  if (seen.visible && !seen.fill && r.offsetGiven) {
    throw UsageError("--offset cannot be combined with --visible without --fill");
  }
  if (seen.fit || (seen.visible && !seen.fill)) r.job.framing.mode = Framing::Mode::Fit;
  if (seen.fill) r.job.framing.mode = Framing::Mode::Fill;
  r.job.framing.fillFromOffset = seen.fill && r.offsetGiven;
  r.job.framing.visible = seen.visible;
  if (!r.aspectGiven) r.job.framing.aspect = r.job.ntsc ? PixelAspect::Ntsc : PixelAspect::Pal;
  if (seen.to && !seen.batch) throw UsageError("--to needs --outdir DIR");
  if (seen.batch && !r.eyePath.empty()) {
    throw UsageError("--eye FILE is for one picture; with --outdir, --to eye");
  }
  if (seen.batch && !r.flickerMapPath.empty()) {
    throw UsageError("--flicker-map FILE is for one picture; with --outdir, --to flicker");
  }
}

// The words that are not options: INPUT... with --outdir, else INPUT OUTPUT....
void placePositionals(const Seen& seen, Request& r) {
  const std::vector<std::string>& words = seen.positional;
  if (seen.batch) {
    if (words.empty()) throw UsageError("missing INPUT");
    r.inputs = words;
    return;
  }
  if (words.empty()) throw UsageError("missing INPUT and OUTPUT");
  if (words.size() < 2) throw UsageError("missing OUTPUT");
  r.inputs = {words[0]};
  for (size_t i = 1; i < words.size(); ++i) r.outputs.push_back({words[i], kindOfPath(words[i])});
}

}  // namespace

// One walk over the arguments, then their occurrences in order: whether --outdir makes a
// batch, wherever it stands, decides what the frame options take.
Request parseArguments(const std::vector<std::string>& args) {
  const std::vector<Occurrence> all = walkOptions(args);
  Request r;
  Seen seen;
  seen.batch =
      std::any_of(all.begin(), all.end(), [](const Occurrence& o) { return o.id == kOutdir; });
  for (size_t i = 0; i < all.size(); ++i) {
    const Occurrence& o = all[i];
    switch (o.id) {
      case kPositional:
        seen.positional.push_back(o.value);
        break;
      case kHelp:
        r.action = Request::Action::Help;
        return r;  // the rest is not looked at
      case kVersion:
        r.action = Request::Action::Version;
        return r;
      case ':':
        failOption(o.refused, o.word, true);
      case '?':
        failOption(o.refused, o.word, false);
      case kFrames:
      case kC64Frames:
        i = applyFramesOption(all, i, args, seen, r);
        break;
      default:
        applyConversionOption(o.id, o.value, r) || applyOutputOption(o.id, o.value, seen, r) ||
            applyFramingOption(o.id, o.value, seen, r);
    }
  }
  checkCombinations(seen, r);
  placePositionals(seen, r);
  return r;
}

}  // namespace peltrix::cli
