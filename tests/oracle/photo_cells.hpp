// The test photos, decoded and prepared as a job would see them (default dither level).
#pragma once

#include <string>
#include <vector>

#include "colour/picture.hpp"
#include "colour/source_prep.hpp"
#include "oracle/engine_harness.hpp"

namespace peltrix::testing {

inline const char* const kPhotos[] = {"fruits.jpg", "baboon.jpg", "butterfly.jpg", "smarties.png",
                                      "HappyFish.jpg"};

// Empty when the shared test data is absent or cannot be decoded; `why` says which.
inline std::vector<SourceArrays> loadPhotos(std::string* why) {
  std::vector<SourceArrays> photos;
  for (const char* name : kPhotos) {
    try {
      const SourcePicture p = loadPicture(std::string(PELTRIX_SHARED_DIR) + "/testdata/" + name);
      SourceArrays s;
      prepareSource(p, kDefaultDitherLevel, s.rgb.data(), s.luma.data());
      photos.push_back(std::move(s));
    } catch (const std::exception& e) {
      *why = std::string("test photos unavailable (../shared/testdata): ") + e.what();
      return {};
    }
  }
  return photos;
}

// A spread of distinct cells over the picture, the same every run.
inline void sampleCell(int i, int* cx, int* cy) {
  const int cell = (i * 379 + 123) % (kCellColumns * kCellRows);
  *cx = cell % kCellColumns;
  *cy = cell / kCellColumns;
}

}  // namespace peltrix::testing
