// What picture view 1 (kBlendView) shows, as the "View" menu chooses: the blend the job's
// match judged, or what the eye sees of its three frames (their linear-light mean, in either
// match). A window keeps the choice; refreshing the views follows it.
#pragma once

#include "core/result_views.hpp"
#include "core/shared_state.hpp"

namespace peltrix {

enum class BlendViewShows { Blend, EyeSees };

inline RgbPicture blendViewPicture(const SharedState& state, BlendViewShows shows) {
  return shows == BlendViewShows::EyeSees ? eyeView(state) : blendView(state);
}

}  // namespace peltrix
