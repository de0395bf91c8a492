// The pictures the faces show of the running or last job, made from its frame planes with
// the settings it started with: the blend and the three frames.
#pragma once

#include "colour/tone.hpp"
#include "core/job.hpp"
#include "core/shared_state.hpp"
#include "output/flicker_picture.hpp"
#include "output/motion.hpp"
#include "output/pictures.hpp"
#include "output/quality.hpp"

namespace peltrix {

// The blend the job's match judged: the classic match's sRGB mean, or the eye's linear-light mean.
inline RgbPicture blendView(const SharedState& state) {
  const JobSettings& s = state.jobSettings;
  return blendPicture(state.planes, s.palette, exclusionListOf(s), s.match);
}

// What the eye sees of the three frames shown in turn: their linear-light mean, in any match.
inline RgbPicture eyeView(const SharedState& state) {
  return eyePicture(state.planes, state.jobSettings.palette);
}

// Video frame n of the picture in motion: the frames in turn as the job's viewer shows them.
inline Viewer jobViewer(const SharedState& state) {
  return chooseViewer(state.jobSettings.fli, state.jobSettings.viewerOptions());
}
inline RgbPicture motionView(const SharedState& state, int64_t videoFrame) {
  return palettePicture(motionFrame(state.planes, jobViewer(state), videoFrame),
                        state.jobSettings.palette);
}

// How strongly each pixel flickers, on the flicker map's colour scale.
inline RgbPicture flickerView(const SharedState& state) {
  return flickerPicture(flickerMap(state.planes, state.jobSettings.palette));
}

inline RgbPicture frameView(const SharedState& state, int frame) {
  return framePicture(state.planes, frame, state.jobSettings.palette);
}

// The quality report of the last finished conversion: what the eye sees of its frames against
// the source framed and toned as that conversion prepared it (its own tone and palette,
// whatever has been chosen since).
inline QualityReport resultQuality(const SharedState& state) {
  const JobSettings& made = state.result.settings;
  return qualityReport(tonedPixels(state.sourceImage.rgb, made.tone), state.planes, made.palette);
}

}  // namespace peltrix
