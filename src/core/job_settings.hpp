// Everything one conversion depends on, as one plain value: the search's options, the dither,
// the palette and tone, the framing and the viewer's video choices. startJob takes a copy,
// and a running conversion uses that copy to the end: a change made meanwhile waits for the
// next one. Only "Luma only mode" stays live (the workers read it before every cell).
#pragma once

#include "colour/framing.hpp"
#include "colour/palettes.hpp"
#include "colour/source_prep.hpp"
#include "colour/tone.hpp"
#include "engine/search.hpp"
#include "output/c64_display.hpp"
#include "output/viewers/viewers.hpp"

namespace peltrix {

// How the eye match dithers: by diffusing each pixel's error onto its neighbours after the
// search (the default), by a centred ordered dither of the source before it (of the
// "Dithering" level's strength), or not at all.
enum class EyeDither { Diffusion, Ordered, None };

struct JobSettings {
  bool multithread = true;    // "Multithread"
  bool bruteForce = true;     // "Brute Force": 121 pairs instead of 75
  bool lumaOverload = true;   // "Luma overload reduction": the overload exclusion list
  bool fli = true;            // "Per 2 line FLI"
  bool superFlicker = false;  // "Super Flicker reduction"
  bool lumaOnly = false;      // "Luma only mode" when the job starts
  int ditherLevel =
      kDefaultDitherLevel;  // the classic match's ordered dither; the eye's ordered one
  engine::Match match = engine::Match::Classic;  // how a blend is judged
  EyeDither eyeDither = EyeDither::Diffusion;
  Palette palette = kPalette;  // the colours aimed at
  Tone tone;                   // applied to the framed picture before the dither
  // How the picture is framed into 320 x 200 when it is opened: a large picture is reduced
  // while it is decoded, so framing happens there, not in the job.
  Framing framing;
  bool ntsc = false;     // "NTSC": the viewer a program file carries
  bool assLace = false;  // "Ass Lace"

  ViewerOptions viewerOptions() const { return {superFlicker, ntsc, assLace}; }
  // The framing the picture is opened with for this conversion: the columns its viewer hides
  // resolved, so that the visible area is the one its program file shows.
  Framing framingToLoad() const {
    Framing f = framing;
    f.hiddenColumns =
        f.visible ? viewerDisplay(chooseViewer(fli, viewerOptions())).blackColumns : 0;
    return f;
  }
  bool diffuses() const { return match == engine::Match::Eye && eyeDither == EyeDither::Diffusion; }
  bool operator==(const JobSettings&) const = default;
};

}  // namespace peltrix
