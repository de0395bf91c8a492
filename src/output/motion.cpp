#include "output/motion.hpp"

#include "colour/geometry.hpp"

namespace peltrix {

namespace {

bool stepsByLine(Viewer viewer) {
  return viewer != Viewer::WholeFrame && viewer != Viewer::MaskPal && viewer != Viewer::MaskNtsc;
}

}  // namespace

int frameOnLine(Viewer viewer, int64_t videoFrame, int y) {
  const int64_t steps = videoFrame + (stepsByLine(viewer) ? y : 0);
  return static_cast<int>(2 - steps % 3);
}

C64Picture motionFrame(const engine::FramePlanes& planes, Viewer viewer, int64_t videoFrame) {
  const ViewerDisplay d = viewerDisplay(viewer);
  const int phase = static_cast<int>(videoFrame & 1);
  C64Picture picture(kPixels, 0);
  for (int y = 0; y < kHeight; ++y) {
    const engine::IndexPlane& plane = planes.frames[frameOnLine(viewer, videoFrame, y)];
    for (int x = d.blackColumns; x < kWidth; ++x) {
      const bool masked = d.checkerboard && ((x / 2 + y + phase) & 1) == 0;
      if (!masked) picture[y * kWidth + x] = plane.at(x, y);
    }
  }
  return picture;
}

bool MotionClock::tick() {
  if (!playing_) return false;
  if (++refreshes_ < static_cast<int>(speed_)) return false;
  refreshes_ = 0;
  ++videoFrame_;
  return true;
}

void MotionClock::setSpeed(MotionSpeed speed) {
  speed_ = speed;
  refreshes_ = 0;
}

}  // namespace peltrix
