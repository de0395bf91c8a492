#include "frontends/web/page_api.hpp"

#include <algorithm>
#include <chrono>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "colour/palettes.hpp"
#include "colour/rgb.hpp"
#include "colour/tone.hpp"
#include "core/commands.hpp"
#include "core/job.hpp"
#include "core/result_views.hpp"
#include "frontends/window/window_layout.hpp"
#include "output/c64_display.hpp"
#include "output/flicker_picture.hpp"
#include "output/motion.hpp"
#include "output/quality.hpp"
#include "output/writers.hpp"

namespace peltrix::web {

using Clock = std::chrono::steady_clock;

// Everything the page's calls share, kept from peltrix_create() until the page goes away.
struct PageSession {
  SharedState state;
  // The job's workers as step functions, when jobs run without threads.
  std::vector<std::function<bool()>> steps;
  Clock::time_point started;
  double seconds = 0;
  std::optional<QualityReport> report;  // of the last completed result
  std::string message;
  std::vector<uint8_t> bytes;  // the last file or view asked for
};

namespace {

constexpr bool kThreads = PELTRIX_PAGE_THREADS != 0;

Framing framingOf(int mode, int left, int top, int aspect, int visible) {
  Framing framing;
  framing.mode = mode == kFramingFit    ? Framing::Mode::Fit
                 : mode == kFramingFill ? Framing::Mode::Fill
                                        : Framing::Mode::Region;
  framing.left = static_cast<uint32_t>(std::max(left, 0));
  framing.top = static_cast<uint32_t>(std::max(top, 0));
  framing.aspect = aspect == 1   ? PixelAspect::Ntsc
                   : aspect == 2 ? PixelAspect::Square
                                 : PixelAspect::Pal;
  framing.visible = visible != 0;
  return framing;
}

// `job` with the option boxes' PageOption bits.
JobSettings withOptions(JobSettings job, uint32_t options) {
  job.lumaOnly = (options & kOptionLumaOnly) != 0;
  job.multithread = (options & kOptionMultithread) != 0;
  job.bruteForce = (options & kOptionBruteForce) != 0;
  job.lumaOverload = (options & kOptionLumaOverload) != 0;
  job.fli = (options & kOptionFli) != 0;
  job.superFlicker = (options & kOptionSuperFlicker) != 0;
  job.ntsc = (options & kOptionNtsc) != 0;
  job.assLace = (options & kOptionAssLace) != 0;
  return job;
}

// RGBA bytes of `count` pixels given as RGB values (320 x 200 unless told).
template <class PixelAt>
void toRgba(std::vector<uint8_t>& out, size_t count, PixelAt rgbAt) {
  out.resize(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t v = rgbAt(i);
    out[i * 4 + 0] = static_cast<uint8_t>(red(v));
    out[i * 4 + 1] = static_cast<uint8_t>(green(v));
    out[i * 4 + 2] = static_cast<uint8_t>(blue(v));
    out[i * 4 + 3] = 0xFF;
  }
}
template <class PixelAt>
void toRgba(std::vector<uint8_t>& out, PixelAt rgbAt) {
  toRgba(out, static_cast<size_t>(kPixels), rgbAt);
}

void pictureToRgba(std::vector<uint8_t>& out, const RgbPicture& picture) {
  toRgba(out, [&picture](int i) { return picture[i]; });
}

// The viewer a program file carries for the finished result, by the settings it was made with.
Viewer resultViewer(const PageSession* s) {
  const ConversionResult& result = s->state.result;
  return chooseViewer(result.form() == DataForm::Fli, result.settings.viewerOptions());
}

// Runs the workers' steps in turn for about `milliseconds`; true once all are done.
bool runSteps(PageSession& s, int milliseconds) {
  const Clock::time_point until = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    bool more = false;
    for (auto& step : s.steps) more = step() || more;
    if (!more) {
      s.steps.clear();
      return true;
    }
    if (Clock::now() >= until) return false;
  }
}

}  // namespace

}  // namespace peltrix::web

using peltrix::web::PageSession;

extern "C" {

PageSession* peltrix_create() {
  return new PageSession();  // the page's one session, never freed
}

int peltrix_threads() {
  return peltrix::web::kThreads ? 1 : 0;
}

int peltrix_open(PageSession* s, const char* path, int framing, int left, int top, int aspect,
                 int visible, uint32_t options) {
  s->state.chosen.framing = peltrix::web::framingOf(framing, left, top, aspect, visible);
  const peltrix::JobSettings settings = peltrix::web::withOptions(s->state.chosen, options);
  const peltrix::CommandResult result =
      peltrix::openPicture(s->state, path, settings.framingToLoad());
  s->message = result.message;
  if (result.outcome == peltrix::Outcome::Refused) return kStatusRefused;
  return result.ok() ? kStatusDone : kStatusFailed;
}

int peltrix_picture_width(PageSession* s) {
  return s->state.sourceImage.width;
}

int peltrix_picture_height(PageSession* s) {
  return s->state.sourceImage.height;
}

int peltrix_picture_flattened(PageSession* s) {
  return s->state.sourceImage.transparencyFlattened ? 1 : 0;
}

void peltrix_set_dither(PageSession* s, int level) {
  peltrix::setDitherLevel(s->state, level);
}

int peltrix_palette_count() {
  return static_cast<int>(peltrix::builtinPalettes().size());
}

const char* peltrix_palette_name(int index) {
  const auto palettes = peltrix::builtinPalettes();
  return index >= 0 && index < static_cast<int>(palettes.size()) ? palettes[index].name : "";
}

int peltrix_set_look(PageSession* s, int palette, int brightness, int contrast, int saturation,
                     int gammaHundredths) {
  // Taken during a job too: the job keeps the look it started with, the next one takes this.
  const auto palettes = peltrix::builtinPalettes();
  const peltrix::Tone tone{brightness, contrast, saturation, gammaHundredths};
  if (palette < 0 || palette >= static_cast<int>(palettes.size()) || !tone.withinRanges()) {
    s->message = "palette or tone out of range";
    return kStatusFailed;
  }
  s->state.chosen.palette = palettes[palette].colours;
  s->state.chosen.tone = tone;
  return kStatusDone;
}

void peltrix_set_luma_only(PageSession* s, int on) {
  s->state.lumaOnly.store(on != 0);
}

int peltrix_set_match(PageSession* s, int match, int eyeDither) {
  // Taken during a job too, like the look: the next job takes it.
  if (match < kMatchClassic || match > kMatchEye || eyeDither < kEyeDiffusion ||
      eyeDither > kEyeNoDither) {
    s->message = "match or eye dither out of range";
    return kStatusFailed;
  }
  s->state.chosen.match =
      match == kMatchEye ? peltrix::engine::Match::Eye : peltrix::engine::Match::Classic;
  s->state.chosen.eyeDither = eyeDither == kEyeOrdered    ? peltrix::EyeDither::Ordered
                              : eyeDither == kEyeNoDither ? peltrix::EyeDither::None
                                                          : peltrix::EyeDither::Diffusion;
  return kStatusDone;
}

int peltrix_process(PageSession* s, int dither, uint32_t options) {
  if (peltrix::jobRunning(s->state)) return kStatusRefused;
  peltrix::setDitherLevel(s->state, dither);
  peltrix::JobSettings job = peltrix::web::withOptions(s->state.chosen, options);

  peltrix::JobSeams seams;
  s->steps.clear();
  if (!peltrix::web::kThreads) {
    job.multithread = false;  // one worker, stepped on this thread
    seams.startSteps = [s](std::function<bool()> step) { s->steps.push_back(std::move(step)); };
  }
  s->started = peltrix::web::Clock::now();
  s->report.reset();
  std::string error;
  if (peltrix::startJob(s->state, job, &error, peltrix::web::kThreads ? nullptr : &seams) !=
      peltrix::StartResult::Started) {
    s->message = error;
    return kStatusFailed;
  }
  return kStatusDone;
}

void peltrix_stop(PageSession* s) {
  peltrix::requestStop(s->state);
}

int peltrix_advance(PageSession* s, int milliseconds) {
  if (!peltrix::jobRunning(s->state)) return kStatusRefused;
  bool finished = false;
  if (peltrix::web::kThreads) {
    finished = peltrix::waitForJob(s->state, peltrix::rowsDone(s->state),
                                   std::chrono::milliseconds(milliseconds));
  } else {
    finished = peltrix::web::runSteps(*s, milliseconds);
  }
  if (!finished) return kStatusRunning;
  peltrix::completeJob(s->state);
  s->seconds = std::chrono::duration<double>(peltrix::web::Clock::now() - s->started).count();
  // Once per result: the figures take longer than a view.
  s->report = peltrix::resultQuality(s->state);
  return kStatusDone;
}

double peltrix_report(PageSession* s, int figure) {
  if (!s->report) return std::numeric_limits<double>::quiet_NaN();
  switch (figure) {
    case kFigureErrorMean:
      return s->report->errorMean;
    case kFigureErrorP95:
      return s->report->errorP95;
    case kFigureFlickerMean:
      return s->report->flickerMean;
    case kFigureFlickerShareAbove002:
      return s->report->flickerShareAbove002;
    default:
      return std::numeric_limits<double>::quiet_NaN();
  }
}

int peltrix_progress(PageSession* s) {
  return peltrix::rowsDone(s->state);
}

double peltrix_job_seconds(PageSession* s) {
  return s->seconds;
}

const uint8_t* peltrix_file(PageSession* s, int file) {
  const peltrix::SharedState& state = s->state;
  s->bytes.clear();
  if (!peltrix::canSave(state)) return nullptr;
  switch (file) {
    case kFilePrg:
      s->bytes = peltrix::programFileBytes(state.result.c64Data, state.result.form(),
                                           peltrix::web::resultViewer(s));
      break;
    case kFileRaw: {
      const auto raw = peltrix::rawFileBytes(state.result.c64Data, state.result.form());
      s->bytes.assign(raw.begin(), raw.end());
      break;
    }
    case kFileBlendPng:
      s->bytes = peltrix::pngFileBytes(peltrix::blendView(state));
      break;
    case kFileEyePng:
      s->bytes = peltrix::pngFileBytes(peltrix::eyeView(state));
      break;
    default:
      return nullptr;
  }
  return s->bytes.data();
}

const uint8_t* peltrix_view(PageSession* s, int view) {
  const peltrix::SharedState& state = s->state;
  if (view == kViewSource) {
    // The framed picture with the tone, before the dither.
    const std::vector<uint32_t> shown =
        peltrix::tonedPixels(state.sourceImage.rgb, state.chosen.tone);
    peltrix::web::toRgba(s->bytes, [&shown](int i) { return shown[i]; });
  } else if (view == kViewBlend) {
    peltrix::web::pictureToRgba(s->bytes, peltrix::blendView(state));
  } else if (view == kViewEye) {
    peltrix::web::pictureToRgba(s->bytes, peltrix::eyeView(state));
  } else if (view == kViewFlickerMap) {
    peltrix::web::pictureToRgba(s->bytes, peltrix::flickerView(state));
  } else if (view >= kViewFrame1 && view < kViewC64Frame1) {
    peltrix::web::pictureToRgba(s->bytes, peltrix::frameView(state, view - kViewFrame1));
  } else if (view >= kViewC64Frame1 && view < kViewC64Frame1 + 3) {
    if (!peltrix::canSave(state)) {
      peltrix::web::toRgba(s->bytes, [](int) { return 0u; });
    } else {
      const auto shown = peltrix::c64DisplayedFrames(state.result.c64Data, state.result.form(),
                                                     peltrix::web::resultViewer(s));
      peltrix::web::pictureToRgba(s->bytes, peltrix::palettePicture(shown[view - kViewC64Frame1],
                                                                    state.result.settings.palette));
    }
  } else {
    s->bytes.clear();
    return nullptr;
  }
  return s->bytes.data();
}

int peltrix_size(PageSession* s) {
  return static_cast<int>(s->bytes.size());
}

const uint8_t* peltrix_motion_view(PageSession* s, int videoFrame) {
  peltrix::web::pictureToRgba(s->bytes, peltrix::motionView(s->state, std::max(videoFrame, 0)));
  return s->bytes.data();
}

int peltrix_motion_cycle() {
  return peltrix::kMotionCycle;
}

const uint8_t* peltrix_flicker_scale(PageSession* s, int width, int height) {
  if (width < 1 || height < 1 || width > 4096 || height > 4096) {
    s->bytes.clear();
    return nullptr;
  }
  const peltrix::RgbPicture scale = peltrix::flickerScale(width, height);
  peltrix::web::toRgba(s->bytes, scale.size(), [&scale](size_t i) { return scale[i]; });
  return s->bytes.data();
}

const char* peltrix_flicker_legend_text() {
  return peltrix::kFlickerLegendText;
}

const char* peltrix_message(PageSession* s) {
  return s->message.c_str();
}

const char* peltrix_control_label(int id) {
  if (id < 0 || id >= peltrix::kControlCount) return "";
  return peltrix::controlRow(static_cast<peltrix::ControlId>(id)).win32Label;
}

const char* peltrix_next_conversion_text() {
  return peltrix::kNextConversionStatus;
}

}  // extern "C"
