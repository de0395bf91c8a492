// The picture in motion: what a viewer program shows on each video frame, made from the frame
// planes so that it plays while a conversion runs. The frames follow one another 3, 2, 1, 3,
// ... from video frame to video frame; the line viewers (standard and FLI) also step them from
// picture line to picture line, so those show every frame on every video frame, a third of
// the lines each. What a viewer hides (its black column, the mask viewer's checkerboard, which
// inverts every video frame) is hidden here too: video frame 0 is frame 3 of the pictures that
// --c64-frames writes, and every video frame is the C64's picture as VICE captures it.
#pragma once

#include <cstdint>

#include "engine/frame_planes.hpp"
#include "output/c64_display.hpp"

namespace peltrix {

// The frame (0..2 for frame 1..3) that picture line y shows on video frame n (n >= 0).
int frameOnLine(Viewer viewer, int64_t videoFrame, int y);

// The show repeats after this many video frames: the frames come in threes, the mask
// viewer's checkerboard in twos. A face may make one cycle once and play it over.
constexpr int kMotionCycle = 6;

// Video frame n of the viewer's show, as colour indices.
C64Picture motionFrame(const engine::FramePlanes& planes, Viewer viewer, int64_t videoFrame);

// How many video frames a speed shows each frame for: 1 at full speed, 4 and 16 slowed.
enum class MotionSpeed { Full = 1, Quarter = 4, Sixteenth = 16 };

// A view's clock: display refreshes come in, the video frame to show goes out. Paused, a
// refresh changes nothing; resumed, it goes on from the frame it shows.
class MotionClock {
 public:
  // One display refresh; returns whether the video frame to show changed.
  bool tick();
  int64_t videoFrame() const { return videoFrame_; }
  MotionSpeed speed() const { return speed_; }
  void setSpeed(MotionSpeed speed);
  bool playing() const { return playing_; }
  void setPlaying(bool playing) { playing_ = playing; }

 private:
  int64_t videoFrame_ = 0;
  int refreshes_ = 0;  // since the video frame changed
  MotionSpeed speed_ = MotionSpeed::Full;
  bool playing_ = true;
};

}  // namespace peltrix
