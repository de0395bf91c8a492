// The command line of peltrix-convert, parsed into what one conversion needs.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "app/job.hpp"

namespace peltrix::cli {

// What an OUTPUT's extension asks for.
enum class OutputKind { Raw, Program, Png };

struct Output {
  std::string path;
  OutputKind kind;
};

struct Request {
  enum class Action { Convert, Help, Version } action = Action::Convert;
  std::string input;
  std::vector<Output> outputs;
  std::string framesPrefix;     // empty: no frame pictures
  std::string c64FramesPrefix;  // empty: no pictures of what the C64 shows
  int ditherLevel = 2;
  JobOptions job;  // defaults: the window's start-up states
  bool lumaOnly = false;
  bool ntsc = false;
  bool assLace = false;
  bool quiet = false;
};

// A command line that cannot be understood; what() says why in a few words.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

Request parseArguments(const std::vector<std::string>& args);  // args without argv[0]

extern const char* const kHelpText;

}  // namespace peltrix::cli
