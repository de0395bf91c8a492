// The files the converter writes: the raw file (the assembled C64 data alone), the C64
// program file (load address $0800, a viewer program, the C64 data) and PNG pictures. Every file is
// written to a temporary file beside the target and renamed over it when complete, so an existing
// file is never left truncated.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "output/c64data.hpp"
#include "output/pictures.hpp"
#include "output/viewers/viewers.hpp"
#include "platform/files.hpp"

namespace peltrix {

// Writes `bytes` as the whole content of the file at `path` (created or replaced).
void writeFile(const std::string& path, std::span<const uint8_t> bytes);

// The raw file: exactly the assembled data of `form`, no header.
std::span<const uint8_t> rawFileBytes(std::span<const uint8_t> c64Data, DataForm form);

// The program file: load address $0800, the viewer, then the assembled data of `form`,
// which must be the layout the viewer shows.
std::vector<uint8_t> programFileBytes(std::span<const uint8_t> c64Data, DataForm form,
                                      Viewer viewer);

// A 320 x 200 8-bit RGB PNG of a picture.
std::vector<uint8_t> pngFileBytes(const RgbPicture& picture);

}  // namespace peltrix
