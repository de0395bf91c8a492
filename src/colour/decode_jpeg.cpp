// JPEG decoding with libjpeg (6b API): greyscale, YCbCr, RGB, CMYK and YCCK, baseline and
// multi-scan (progressive). Rows past the canvas are never decoded; a whole picture that is
// to be scaled down is decoded by libjpeg at 1/2, 1/4 or 1/8 of its size where that suffices.
#include <algorithm>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t first

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "colour/decode_formats.hpp"
#include "colour/rgb.hpp"

namespace peltrix {

namespace {

enum class JpegFailure {
  kNone,
  kTruncated,
  kLibrary,
  kTooManyScans,
  kColourSpace,
  kTooLarge,
  kCanvas
};

// Everything one decode needs, reachable from libjpeg's callbacks through client_data.
// libjpeg reports errors by calling back into us; we leave its C frames with longjmp to the
// setjmp in decodeRows and only then throw, so no exception ever crosses libjpeg.
struct JpegSession {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  jpeg_source_mgr source{};
  jpeg_progress_mgr progress{};
  std::jmp_buf jumpBack{};

  const uint8_t* data = nullptr;
  std::size_t size = 0;
  Canvas* canvas = nullptr;
  Canvas::Opened opened = Canvas::Opened::Ok;

  bool headerRead = false;
  bool multiScan = false;
  bool ranOut = false;  // the data ended and a fake end marker was handed to libjpeg
  JpegFailure failure = JpegFailure::kNone;
  char message[JMSG_LENGTH_MAX] = {};
  int width = 0;
  int height = 0;
  int components = 0;
  std::size_t coefficientBytes = 0;
};

JpegSession& sessionOf(j_common_ptr cinfo) {
  return *static_cast<JpegSession*>(cinfo->client_data);
}

[[noreturn]] void escape(JpegSession& s, JpegFailure failure) {
  s.failure = failure;
  std::longjmp(s.jumpBack, 1);
}

void onError(j_common_ptr cinfo) {
  JpegSession& s = sessionOf(cinfo);
  (*cinfo->err->format_message)(cinfo, s.message);
  escape(s, s.ranOut ? JpegFailure::kTruncated : JpegFailure::kLibrary);
}

// Warnings (level < 0) are corrupt-data notices libjpeg recovers from; we accept those, like
// every viewer, unless the picture data has ended: after the file's (or a premature) end
// marker libjpeg would invent the rest of the picture in grey, and the user should hear that
// the file is truncated instead.
void onMessage(j_common_ptr cinfo, int level) {
  JpegSession& s = sessionOf(cinfo);
  if (level >= 0) return;
  const bool endReached = reinterpret_cast<j_decompress_ptr>(cinfo)->unread_marker == JPEG_EOI &&
                          cinfo->err->msg_code == JWRN_HIT_MARKER;
  if (s.ranOut || endReached) escape(s, JpegFailure::kTruncated);
}

void quiet(j_common_ptr) {}

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

// The whole file is handed over at once, so libjpeg asks for more only when it has run past
// the end. A single-scan picture gets a fake end marker (libjpeg then complains through a
// warning if it still needed data, which onMessage turns into "truncated"; a file that lacks
// only its end marker still decodes). Headers and multi-scan pictures need every byte up to
// the end marker, so there running out is truncation at once.
boolean fillInput(j_decompress_ptr cinfo) {
  static const JOCTET kFakeEnd[2] = {0xFF, JPEG_EOI};
  JpegSession& s = sessionOf(reinterpret_cast<j_common_ptr>(cinfo));
  if (!s.headerRead || s.multiScan) escape(s, JpegFailure::kTruncated);
  s.ranOut = true;
  cinfo->src->next_input_byte = kFakeEnd;
  cinfo->src->bytes_in_buffer = sizeof kFakeEnd;
  return TRUE;
}

void skipInput(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  if (static_cast<unsigned long>(count) <= src->bytes_in_buffer) {
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
    return;
  }
  // Skipping past the end: one refill, never a loop over fake markers.
  src->bytes_in_buffer = 0;
  fillInput(cinfo);
}

void watchScans(j_common_ptr cinfo) {
  auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number > kMaxJpegScans)
    escape(sessionOf(cinfo), JpegFailure::kTooManyScans);
}

// Memory the coefficient buffer of a multi-scan picture takes (whole iMCUs per component).
std::size_t coefficientBufferBytes(const jpeg_decompress_struct& cinfo) {
  std::size_t total = 0;
  for (int c = 0; c < cinfo.num_components; ++c) {
    const jpeg_component_info& comp = cinfo.comp_info[c];
    const std::size_t h = std::max(comp.h_samp_factor, 1);
    const std::size_t v = std::max(comp.v_samp_factor, 1);
    const std::size_t columns = (comp.width_in_blocks + h - 1) / h * h;
    const std::size_t rows = (comp.height_in_blocks + v - 1) / v * v;
    total += columns * rows * DCTSIZE2 * sizeof(JCOEF);
  }
  return total;
}

uint32_t cmykToRgb(const JSAMPLE* p, bool adobeInverted) {
  uint32_t c = p[0], m = p[1], y = p[2], k = p[3];
  if (!adobeInverted) {
    c = 255 - c;
    m = 255 - m;
    y = 255 - y;
    k = 255 - k;
  }
  // Adobe stores 255 - ink, so each stored value is already the light that passes.
  return packRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
}

// The libjpeg part of a decode. Holds no C++ object with a destructor, since longjmp leaves
// libjpeg's frames (and ours) without unwinding. Returns false with s.failure set.
bool decodeRows(JpegSession& s) {
  jpeg_decompress_struct& cinfo = s.cinfo;
  cinfo.err = jpeg_std_error(&s.errors);
  s.errors.error_exit = onError;
  s.errors.emit_message = onMessage;
  s.errors.output_message = quiet;
  cinfo.client_data = &s;
  if (setjmp(s.jumpBack) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  // No backing store exists: past this, libjpeg fails cleanly instead of allocating.
  cinfo.mem->max_memory_to_use = static_cast<long>(kMaxJpegCoefficientBytes + (64 << 20));

  s.source.next_input_byte = s.data;
  s.source.bytes_in_buffer = s.size;
  s.source.init_source = initSource;
  s.source.fill_input_buffer = fillInput;
  s.source.skip_input_data = skipInput;
  s.source.resync_to_restart = jpeg_resync_to_restart;
  s.source.term_source = termSource;
  cinfo.src = &s.source;
  s.progress.progress_monitor = watchScans;
  cinfo.progress = &s.progress;

  jpeg_read_header(&cinfo, TRUE);
  s.headerRead = true;
  s.width = static_cast<int>(cinfo.image_width);
  s.height = static_cast<int>(cinfo.image_height);
  s.components = cinfo.num_components;

  bool cmyk = false;
  switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      cinfo.out_color_space = JCS_RGB;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo.out_color_space = JCS_CMYK;
      cmyk = true;
      break;
    default:
      escape(s, JpegFailure::kColourSpace);
  }
  const bool adobeInverted = cinfo.saw_Adobe_marker != FALSE;

  cinfo.scale_num = 1;
  cinfo.scale_denom = s.canvas->jpegDenominator(cinfo.image_width, cinfo.image_height);
  jpeg_calc_output_dimensions(&cinfo);
  s.opened = s.canvas->open(cinfo.output_width, cinfo.output_height);
  if (s.opened != Canvas::Opened::Ok) escape(s, JpegFailure::kCanvas);

  s.multiScan = jpeg_has_multiple_scans(&cinfo) != FALSE;
  if (s.multiScan) {
    s.coefficientBytes = coefficientBufferBytes(cinfo);
    if (s.coefficientBytes > kMaxJpegCoefficientBytes) escape(s, JpegFailure::kTooLarge);
  }

  jpeg_start_decompress(&cinfo);
  const JDIMENSION stride = cinfo.output_width * static_cast<JDIMENSION>(cinfo.output_components);
  JSAMPARRAY row =
      (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, stride, 1);
  Canvas& canvas = *s.canvas;
  const uint64_t rows = std::min<uint64_t>(cinfo.output_height, canvas.endRow());
  const uint64_t columns = std::min<uint64_t>(cinfo.output_width, canvas.endColumn());
  for (uint64_t y = 0; y < rows; ++y) {
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) escape(s, JpegFailure::kTruncated);
    if (!canvas.keepsRow(y)) continue;
    const JSAMPLE* p = row[0];
    for (uint64_t x = canvas.left(); x < columns; ++x) {
      canvas.put(x, y,
                 cmyk ? cmykToRgb(p + 4 * x, adobeInverted)
                      : packRgb(p[3 * x], p[3 * x + 1], p[3 * x + 2]));
    }
  }
  // The arithmetic decoder pads silently with zeros instead of warning.
  if (s.ranOut && cinfo.arith_code) escape(s, JpegFailure::kTruncated);
  // Rows past the canvas are never decoded: destroying aborts the decompression.
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

PictureSize decodeJpeg(std::span<const uint8_t> bytes, const std::string& name, Canvas& canvas) {
  JpegSession session;
  session.data = bytes.data();
  session.size = bytes.size();
  session.canvas = &canvas;
  if (decodeRows(session)) {
    return {static_cast<uint32_t>(session.width), static_cast<uint32_t>(session.height)};
  }
  switch (session.failure) {
    case JpegFailure::kCanvas:
      failOpen(name, session.opened, static_cast<uint32_t>(session.width),
               static_cast<uint32_t>(session.height));
    case JpegFailure::kTruncated:
      failLoad(name, "truncated JPEG data");
    case JpegFailure::kTooManyScans:
      failLoad(name, "corrupt JPEG data (more than " + std::to_string(kMaxJpegScans) + " scans)");
    case JpegFailure::kColourSpace:
      failLoad(name, "unsupported JPEG colour space (" + std::to_string(session.components) +
                         " components)");
    case JpegFailure::kTooLarge:
      failLoad(name, "progressive JPEG too large to decode (" + std::to_string(session.width) +
                         " x " + std::to_string(session.height) + " needs " +
                         std::to_string(session.coefficientBytes >> 20) + " MiB; at most " +
                         std::to_string(kMaxJpegCoefficientBytes >> 20) + " MiB)");
    case JpegFailure::kLibrary:
    case JpegFailure::kNone:
      break;
  }
  failLoad(name, std::string("cannot decode JPEG data (") + session.message + ")");
}

}  // namespace peltrix
