// The pictures the faces show of the running or last job, made from its frame planes with
// the settings it started with: the blend and the three frames.
#pragma once

#include "core/job.hpp"
#include "core/shared_state.hpp"
#include "output/pictures.hpp"

namespace peltrix {

inline RgbPicture blendView(const SharedState& state) {
  return blendPicture(state.planes, state.jobSettings.palette, exclusionListOf(state.jobSettings));
}

inline RgbPicture frameView(const SharedState& state, int frame) {
  return framePicture(state.planes, frame, state.jobSettings.palette);
}

}  // namespace peltrix
