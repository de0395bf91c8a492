// What picture view 1 (kBlendView) shows, as the "View" menu chooses: the blend the job's
// match judged, what the eye sees of its three frames (their linear-light mean, in either
// match), the picture in motion (the frames in turn as the job's viewer shows them, at the
// window's motion clock) or the flicker map. A window keeps the choice; refreshing the views
// follows it.
#pragma once

#include "core/result_views.hpp"
#include "core/shared_state.hpp"
#include "output/motion.hpp"

namespace peltrix {

enum class BlendViewShows { Blend, EyeSees, Motion, FlickerMap };

inline RgbPicture blendViewPicture(const SharedState& state, BlendViewShows shows,
                                   const MotionClock& clock) {
  switch (shows) {
    case BlendViewShows::EyeSees:
      return eyeView(state);
    case BlendViewShows::Motion:
      return motionView(state, clock.videoFrame());
    case BlendViewShows::FlickerMap:
      return flickerView(state);
    case BlendViewShows::Blend:
      break;
  }
  return blendView(state);
}

}  // namespace peltrix
