// The web page's skin over the core: plain C functions that the page's conversion worker
// (web/conversion-worker.js) calls through emscripten's ccall. They run the same commands and
// job as the window's "Open Bitmap", "Process" and "Stop" and give the command line's files.
// All state belongs to one PageSession that the worker creates once and passes to every call.
#pragma once

#include <cstdint>

namespace peltrix::web {
struct PageSession;
}

extern "C" {

// The option boxes "Process" reads, as bits of one number.
enum PageOption : uint32_t {
  kOptionMultithread = 1u << 0,   // "Multithread"
  kOptionBruteForce = 1u << 1,    // "Brute Force"
  kOptionLumaOverload = 1u << 2,  // "Luma overload reduction"
  kOptionFli = 1u << 3,           // "Per 2 line FLI"
  kOptionSuperFlicker = 1u << 4,  // "Super Flicker reduction"
  kOptionLumaOnly = 1u << 5,      // "Luma only mode"
  kOptionNtsc = 1u << 6,          // "NTSC"
  kOptionAssLace = 1u << 7,       // "Ass Lace"
};

// What peltrix_open, peltrix_process and peltrix_advance report.
enum PageStatus : int {
  kStatusDone = 0,     // opened; started; finished
  kStatusFailed = 1,   // the reason is in peltrix_message()
  kStatusRefused = 2,  // a job is running (open), or one runs already (process)
  kStatusRunning = 3,  // advance: the job goes on
};

// The framing of peltrix_open: 0 unscaled from (left, top), 1 fit, 2 fill (into the visible
// area with `visible`); the aspect of a scaled picture: 0 PAL, 1 NTSC, 2 square.
enum PageFraming : int { kFramingOffset = 0, kFramingFit = 1, kFramingFill = 2 };

// The match of peltrix_set_match, classic or eye, and the eye match's dither.
enum PageMatch : int { kMatchClassic = 0, kMatchEye = 1 };
enum PageEyeDither : int { kEyeDiffusion = 0, kEyeOrdered = 1, kEyeNoDither = 2 };

// What peltrix_file gives of the last result: the .prg, the .raw, the blend picture's .png
// and the .png of what the eye sees.
enum PageFile : int { kFilePrg = 0, kFileRaw = 1, kFileBlendPng = 2, kFileEyePng = 3 };

// What peltrix_view gives, as 320 x 200 RGBA bytes: the framed source, the blend picture,
// frames 1-3, frames 1-3 as the C64 shows them (black before a result), what the eye sees and
// the flicker map on its colour scale.
enum PageView : int {
  kViewSource = 0,
  kViewBlend = 1,
  kViewFrame1 = 2,
  kViewC64Frame1 = 5,
  kViewEye = 8,
  kViewFlickerMap = 9,
  kViewCount = 10,
};

// The figures of peltrix_report, as the command line's --report names them.
enum PageFigure : int {
  kFigureErrorMean = 0,
  kFigureErrorP95 = 1,
  kFigureFlickerMean = 2,
  kFigureFlickerShareAbove002 = 3,
};

peltrix::web::PageSession* peltrix_create();
// 1 when jobs run on worker threads (two workers with "Multithread"); 0 when they run in
// steps on the caller's thread (a page that is not cross-origin isolated has no threads).
int peltrix_threads();

// Loads the picture file at `path` (written into the module's file system by the page) and
// frames it; on failure the previous picture stays and peltrix_message() names the file.
// `visible` fits or fills the part of the screen that the viewer of the PageOption bits
// `options` shows (the page opens the picture again when they change that viewer).
int peltrix_open(peltrix::web::PageSession* s, const char* path, int framing, int left, int top,
                 int aspect, int visible, uint32_t options);
// The file's own size, and whether transparency was flattened onto black.
int peltrix_picture_width(peltrix::web::PageSession* s);
int peltrix_picture_height(peltrix::web::PageSession* s);
int peltrix_picture_flattened(peltrix::web::PageSession* s);

// "Dithering" (0..3) and "Luma only mode" (read before every cell, also during a job).
void peltrix_set_dither(peltrix::web::PageSession* s, int level);
void peltrix_set_luma_only(peltrix::web::PageSession* s, int on);

// The built-in palettes by number (0 is the default) and their names.
int peltrix_palette_count();
const char* peltrix_palette_name(int index);
// The palette (by number) and the tone (brightness, contrast, saturation in percent, gamma
// in hundredths) the next "Process" uses and the source view shows; refused during a job,
// failed outside the ranges.
int peltrix_set_look(peltrix::web::PageSession* s, int palette, int brightness, int contrast,
                     int saturation, int gammaHundredths);

// The match (PageMatch) and the eye match's dither (PageEyeDither) the next "Process" uses;
// a running job keeps its own. Failed outside the enums.
int peltrix_set_match(peltrix::web::PageSession* s, int match, int eyeDither);

// "Process" with the dither level and PageOption bits; the program file's options (super
// flicker, NTSC, Ass Lace) are kept with the result.
int peltrix_process(peltrix::web::PageSession* s, int dither, uint32_t options);
// "Stop".
void peltrix_stop(peltrix::web::PageSession* s);
// Lets the job go on for about `milliseconds` (threads: waits for a row or the end; steps:
// converts rows), then completes it when it has finished: kStatusDone once, when the result is
// ready; kStatusRunning before; kStatusRefused when no job runs.
int peltrix_advance(peltrix::web::PageSession* s, int milliseconds);
// A figure (PageFigure) of the quality report of the last result, made once when it was
// completed (the command line's --report); NaN without a result.
double peltrix_report(peltrix::web::PageSession* s, int figure);
// The progress bar's value 0..25.
int peltrix_progress(peltrix::web::PageSession* s);
// Seconds from "Process" to the completed result.
double peltrix_job_seconds(peltrix::web::PageSession* s);

// The bytes of a file of the last result (size in peltrix_size()); null without a result.
const uint8_t* peltrix_file(peltrix::web::PageSession* s, int file);
// The 320 x 200 RGBA bytes of a view (size in peltrix_size()).
const uint8_t* peltrix_view(peltrix::web::PageSession* s, int view);
int peltrix_size(peltrix::web::PageSession* s);
// The picture in motion: video frame `videoFrame` (>= 0) of what the viewer of the running or
// last job shows, as 320 x 200 RGBA bytes (size in peltrix_size()). The show repeats after
// peltrix_motion_cycle() video frames, so a page can fetch one cycle and play it over.
const uint8_t* peltrix_motion_view(peltrix::web::PageSession* s, int videoFrame);
int peltrix_motion_cycle();
// The flicker map's legend: its colour scale as a width x height RGBA strip (0 at the left,
// 0.1 at the right, a white tick every 0.02; size in peltrix_size()) and the windows' words
// for it.
const uint8_t* peltrix_flicker_scale(peltrix::web::PageSession* s, int width, int height);
const char* peltrix_flicker_legend_text();
const char* peltrix_message(peltrix::web::PageSession* s);

// The window's label of control `id` (0..26; "" for one without), from the window's table,
// so that the page names its options as the window does.
const char* peltrix_control_label(int id);

// What the status line says of a choice made during a conversion (the windows' words).
const char* peltrix_next_conversion_text();

}  // extern "C"
