#include "app/cli/cli_args.hpp"

#include <algorithm>
#include <cctype>

namespace peltrix::cli {

const char* const kHelpText =
    "Usage: peltrix-convert [options] INPUT OUTPUT...\n"
    "Converts a picture (JPEG, PNG or BMP; its top-left 320 x 200 pixels) into an\n"
    "interlaced C64 picture. Each OUTPUT's extension picks what is written:\n"
    "  .raw  the C64 data of the three frames\n"
    "  .prg  a C64 program: viewer and data, load address $0800\n"
    "  .png  the blend picture (what the eye sees)\n"
    "\n"
    "Options (defaults are the window's start-up states):\n"
    "  -d, --dither N       dithering level 0..3 (default 2)\n"
    "      --reduced        use the 75 reduced colour pairs (default: all 121, \"Brute Force\")\n"
    "      --basic-exclusions\n"
    "                       basic exclusion list (default: \"Luma overload reduction\")\n"
    "      --no-fli         one colour pair per 8 x 8 cell (default: \"Per 2 line FLI\")\n"
    "      --super-flicker  \"Super Flicker reduction\"\n"
    "      --luma-only      \"Luma only mode\": compare brightness only\n"
    "      --ntsc           program file for NTSC machines (default PAL)\n"
    "      --ass-lace       \"Ass Lace\" viewer (only with --no-fli, without --super-flicker)\n"
    "      --single-thread  one worker thread (default two, \"Multithread\")\n"
    "      --frames PREFIX  also write PREFIX-blend.png and PREFIX-frame1.png .. frame3.png\n"
    "      --c64-frames PREFIX\n"
    "                       also write PREFIX-c64-frame1.png .. frame3.png: the frames as the\n"
    "                       program file's viewer shows them on a C64\n"
    "  -q, --quiet          no progress bar\n"
    "  -h, --help           show this help\n"
    "      --version        show the version\n"
    "\n"
    "Exit status: 0 success, 1 unreadable input or unwritable output, 2 usage error.\n";

namespace {

std::string lowerExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

OutputKind kindOf(const std::string& path) {
  const std::string ext = lowerExtension(path);
  if (ext == ".raw") return OutputKind::Raw;
  if (ext == ".prg") return OutputKind::Program;
  if (ext == ".png") return OutputKind::Png;
  throw UsageError("cannot tell what to write to '" + path + "': use .raw, .prg or .png");
}

int parseDither(const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '3') return text[0] - '0';
  throw UsageError("dither level must be 0, 1, 2 or 3, not '" + text + "'");
}

}  // namespace

Request parseArguments(const std::vector<std::string>& args) {
  Request r;
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // The value of an option given as "--opt VALUE", "--opt=VALUE" or "-dVALUE".
    auto value = [&](const std::string& name) -> std::string {
      if (a.size() > name.size() && a.compare(0, name.size(), name) == 0) {
        return a.substr(name.size() + (a[name.size()] == '=' ? 1 : 0));
      }
      if (i + 1 >= args.size()) throw UsageError("option " + name + " needs a value");
      return args[++i];
    };
    auto is = [&](const std::string& name) {
      return a == name || (a.compare(0, name.size() + 1, name + "=") == 0);
    };
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      positional.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "-h" || a == "--help") {
      r.action = Request::Action::Help;
      return r;
    } else if (a == "--version") {
      r.action = Request::Action::Version;
      return r;
    } else if (is("--dither")) {
      r.ditherLevel = parseDither(value("--dither"));
    } else if (a.compare(0, 2, "-d") == 0) {
      r.ditherLevel = parseDither(value("-d"));
    } else if (is("--frames")) {
      r.framesPrefix = value("--frames");
      if (r.framesPrefix.empty()) throw UsageError("--frames needs a non-empty PREFIX");
    } else if (is("--c64-frames")) {
      r.c64FramesPrefix = value("--c64-frames");
      if (r.c64FramesPrefix.empty()) throw UsageError("--c64-frames needs a non-empty PREFIX");
    } else if (a == "--reduced") {
      r.job.bruteForce = false;
    } else if (a == "--basic-exclusions") {
      r.job.lumaOverload = false;
    } else if (a == "--no-fli") {
      r.job.fli = false;
    } else if (a == "--super-flicker") {
      r.job.superFlicker = true;
    } else if (a == "--single-thread") {
      r.job.multithread = false;
    } else if (a == "--luma-only") {
      r.lumaOnly = true;
    } else if (a == "--ntsc") {
      r.ntsc = true;
    } else if (a == "--ass-lace") {
      r.assLace = true;
    } else if (a == "-q" || a == "--quiet") {
      r.quiet = true;
    } else {
      throw UsageError("unknown option '" + a + "'");
    }
  }
  if (positional.empty()) throw UsageError("missing INPUT and OUTPUT");
  if (positional.size() < 2) throw UsageError("missing OUTPUT");
  r.input = positional[0];
  for (size_t i = 1; i < positional.size(); ++i) {
    r.outputs.push_back({positional[i], kindOf(positional[i])});
  }
  return r;
}

}  // namespace peltrix::cli
