// The warnings of peltrix-convert: one line each, about an option the chosen mode ignores or
// about how a picture was used. They never change what is written or the exit status.
#pragma once

#include <string>
#include <vector>

#include "colour/picture.hpp"
#include "frontends/cli/cli_args.hpp"

namespace peltrix::cli {

// Options the request gives but its mode ignores.
std::vector<std::string> optionWarnings(const Request& request);

// What the framing did to the picture `name` (as loaded into `picture`) that the user may
// not expect: padding a small picture with black, using only part of a large one unscaled,
// flattening transparency onto black.
std::vector<std::string> pictureWarnings(const std::string& name, const SourcePicture& picture,
                                         const Request& request);

}  // namespace peltrix::cli
