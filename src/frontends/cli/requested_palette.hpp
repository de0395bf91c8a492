// The colours --palette names. The parser only keeps the name: reading a .vpl file is a
// step of its own, after the command line is understood.
#pragma once

#include "colour/palettes.hpp"
#include "frontends/cli/cli_args.hpp"

namespace peltrix::cli {

// The built-in palette or .vpl file request.paletteName names, else request.job.palette; one that
// cannot be used is a UsageError naming --palette.
Palette loadRequestedPalette(const Request& request);

}  // namespace peltrix::cli
