#include "frontends/window/window_settings.hpp"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace peltrix {

namespace {

// The first line; a later version that only adds keys keeps the name and counts up.
constexpr std::string_view kFormatName = "peltrix-window-settings";
constexpr int kFormatVersion = 1;

// An enumeration's values as the file spells them.
template <class E>
struct Word {
  E value;
  const char* word;
};

constexpr Word<engine::Match> kMatchWords[] = {{engine::Match::Classic, "classic"},
                                               {engine::Match::Eye, "eye"}};
constexpr Word<EyeDither> kEyeDitherWords[] = {{EyeDither::Diffusion, "diffusion"},
                                               {EyeDither::Ordered, "ordered"},
                                               {EyeDither::None, "none"}};
constexpr Word<Framing::Mode> kFramingWords[] = {
    {Framing::Mode::Region, "region"}, {Framing::Mode::Fit, "fit"}, {Framing::Mode::Fill, "fill"}};
constexpr Word<PixelAspect> kAspectWords[] = {
    {PixelAspect::Pal, "pal"}, {PixelAspect::Ntsc, "ntsc"}, {PixelAspect::Square, "square"}};
constexpr Word<BlendViewShows> kViewWords[] = {{BlendViewShows::Blend, "blend"},
                                               {BlendViewShows::EyeSees, "eye-sees"},
                                               {BlendViewShows::Motion, "motion"},
                                               {BlendViewShows::FlickerMap, "flicker-map"}};
constexpr Word<MotionSpeed> kSpeedWords[] = {{MotionSpeed::Full, "full"},
                                             {MotionSpeed::Quarter, "quarter"},
                                             {MotionSpeed::Sixteenth, "sixteenth"}};
constexpr Word<bool> kBoxWords[] = {{true, "on"}, {false, "off"}};

template <class E, std::size_t N>
std::string wordOf(const Word<E> (&words)[N], E value) {
  for (const Word<E>& w : words) {
    if (w.value == value) return w.word;
  }
  return words[0].word;
}

template <class E, std::size_t N>
bool readWord(const Word<E> (&words)[N], std::string_view text, E& value) {
  for (const Word<E>& w : words) {
    if (text == w.word) {
      value = w.value;
      return true;
    }
  }
  return false;
}

// A whole decimal number, nothing before or after it.
template <class Int>
bool readNumber(std::string_view text, Int& value) {
  if (text.empty() || text[0] == '+') return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool readInRange(std::string_view text, int low, int high, int& value) {
  int n = 0;
  if (!readNumber(text, n) || n < low || n > high) return false;
  value = n;
  return true;
}

// One line of the file: its key, how the choices give its value and how a value is read
// back into them (false for a value this version does not accept).
struct Field {
  const char* key;
  std::string (*write)(const WindowChoices&);
  bool (*read)(std::string_view, WindowChoices&);
};

template <bool WindowChoices::*box>
constexpr Field boxField(const char* key) {
  return {key, [](const WindowChoices& c) { return wordOf(kBoxWords, c.*box); },
          [](std::string_view v, WindowChoices& c) { return readWord(kBoxWords, v, c.*box); }};
}

template <int Tone::*field, const ToneRange& range>
constexpr Field toneField(const char* key) {
  return {key, [](const WindowChoices& c) { return std::to_string(c.tone.*field); },
          [](std::string_view v, WindowChoices& c) {
            return readInRange(v, range.low, range.high, c.tone.*field);
          }};
}

template <uint32_t Framing::*field>
constexpr Field offsetField(const char* key) {
  return {key, [](const WindowChoices& c) { return std::to_string(c.framing.*field); },
          [](std::string_view v, WindowChoices& c) { return readNumber(v, c.framing.*field); }};
}

const Field kFields[] = {
    boxField<&WindowChoices::multithread>("multithread"),
    boxField<&WindowChoices::bruteForce>("brute-force"),
    boxField<&WindowChoices::lumaOverload>("luma-overload"),
    boxField<&WindowChoices::fli>("fli"),
    boxField<&WindowChoices::ntsc>("ntsc"),
    boxField<&WindowChoices::superFlicker>("super-flicker"),
    boxField<&WindowChoices::assLace>("ass-lace"),
    boxField<&WindowChoices::lumaOnly>("luma-only"),
    {"dither", [](const WindowChoices& c) { return std::to_string(c.ditherLevel); },
     [](std::string_view v, WindowChoices& c) {
       return readInRange(v, 0, kDitherMaximum, c.ditherLevel);
     }},
    // By name, so that a palette added later cannot move the user's choice.
    {"palette",
     [](const WindowChoices& c) { return std::string(builtinPalettes()[c.palette].name); },
     [](std::string_view v, WindowChoices& c) {
       for (int p = 0; p < kBuiltinPaletteCount; ++p) {
         if (v == builtinPalettes()[p].name) {
           c.palette = p;
           return true;
         }
       }
       return false;
     }},
    {"match", [](const WindowChoices& c) { return wordOf(kMatchWords, c.match); },
     [](std::string_view v, WindowChoices& c) { return readWord(kMatchWords, v, c.match); }},
    {"eye-dither", [](const WindowChoices& c) { return wordOf(kEyeDitherWords, c.eyeDither); },
     [](std::string_view v, WindowChoices& c) {
       return readWord(kEyeDitherWords, v, c.eyeDither);
     }},
    toneField<&Tone::brightness, kBrightnessRange>("brightness"),
    toneField<&Tone::contrast, kContrastRange>("contrast"),
    toneField<&Tone::saturation, kSaturationRange>("saturation"),
    toneField<&Tone::gammaHundredths, kGammaRange>("gamma-hundredths"),
    {"framing", [](const WindowChoices& c) { return wordOf(kFramingWords, c.framing.mode); },
     [](std::string_view v, WindowChoices& c) {
       return readWord(kFramingWords, v, c.framing.mode);
     }},
    offsetField<&Framing::left>("framing-left"),
    offsetField<&Framing::top>("framing-top"),
    {"framing-fill-offset",
     [](const WindowChoices& c) { return wordOf(kBoxWords, c.framing.fillFromOffset); },
     [](std::string_view v, WindowChoices& c) {
       return readWord(kBoxWords, v, c.framing.fillFromOffset);
     }},
    {"framing-visible", [](const WindowChoices& c) { return wordOf(kBoxWords, c.framing.visible); },
     [](std::string_view v, WindowChoices& c) {
       return readWord(kBoxWords, v, c.framing.visible);
     }},
    {"pixel-aspect", [](const WindowChoices& c) { return wordOf(kAspectWords, c.framing.aspect); },
     [](std::string_view v, WindowChoices& c) {
       return readWord(kAspectWords, v, c.framing.aspect);
     }},
    {"view", [](const WindowChoices& c) { return wordOf(kViewWords, c.view); },
     [](std::string_view v, WindowChoices& c) { return readWord(kViewWords, v, c.view); }},
    {"motion-speed", [](const WindowChoices& c) { return wordOf(kSpeedWords, c.motionSpeed); },
     [](std::string_view v, WindowChoices& c) { return readWord(kSpeedWords, v, c.motionSpeed); }},
};

std::string_view trimmed(std::string_view text) {
  const char* space = " \t\r";
  const std::size_t first = text.find_first_not_of(space);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// A piece of the file as a warning quotes it: short, and only printable ASCII.
std::string quoted(std::string_view text) {
  std::string shown = "\"";
  for (std::size_t i = 0; i < text.size() && i < 40; ++i) {
    shown += text[i] >= ' ' && text[i] <= '~' ? text[i] : '?';
  }
  return shown + (text.size() > 40 ? "...\"" : "\"");
}

bool readHeader(std::string_view line) {
  line = trimmed(line);
  if (line.substr(0, kFormatName.size()) != kFormatName) return false;
  line.remove_prefix(kFormatName.size());
  if (line.empty() || line[0] != ' ') return false;
  int version = 0;
  return readNumber(trimmed(line), version) && version >= 1;
}

}  // namespace

std::array<MenuItemId, kMenuRadioGroups.size()> radioItemsOf(const WindowChoices& choices) {
  const Framing& f = choices.framing;
  MenuItemId framing = kTopLeftFramingItem;
  if (f.mode == Framing::Mode::Fit) framing = f.visible ? kFitVisibleItem : kFitFramingItem;
  if (f.mode == Framing::Mode::Fill) framing = f.visible ? kFillVisibleItem : kFillFramingItem;
  const MenuItemId aspect = f.aspect == PixelAspect::Ntsc     ? kNtscAspectItem
                            : f.aspect == PixelAspect::Square ? kSquareAspectItem
                                                              : kPalAspectItem;
  const MenuItemId match = choices.match == engine::Match::Eye ? kEyeMatchItem : kClassicMatchItem;
  const MenuItemId dither = choices.eyeDither == EyeDither::Ordered ? kOrderedDitherItem
                            : choices.eyeDither == EyeDither::None  ? kNoDitherItem
                                                                    : kDiffusionItem;
  const MenuItemId view = static_cast<MenuItemId>(kBlendViewItem + static_cast<int>(choices.view));
  const MenuItemId speed = choices.motionSpeed == MotionSpeed::Quarter     ? kQuarterSpeedItem
                           : choices.motionSpeed == MotionSpeed::Sixteenth ? kSixteenthSpeedItem
                                                                           : kFullSpeedItem;
  return {paletteItem(choices.palette), match, dither, framing, aspect, view, speed};
}

std::string formatWindowChoices(const WindowChoices& choices) {
  std::string text = std::string(kFormatName) + " " + std::to_string(kFormatVersion) + "\n";
  for (const Field& field : kFields)
    text += std::string(field.key) + "=" + field.write(choices) + "\n";
  return text;
}

ParsedChoices parseWindowChoices(std::string_view text) {
  std::size_t end = text.find('\n');
  if (!readHeader(text.substr(0, end))) {
    return {std::nullopt, "its first line is not \"" + std::string(kFormatName) + " " +
                              std::to_string(kFormatVersion) + "\""};
  }
  WindowChoices choices;
  for (int number = 2; end != std::string_view::npos; ++number) {
    const std::size_t start = end + 1;
    end = text.find('\n', start);
    const std::string_view line = trimmed(text.substr(start, end - start));
    if (line.empty() || line[0] == '#') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      return {std::nullopt,
              "line " + std::to_string(number) + " " + quoted(line) + " is not key=value"};
    }
    const std::string_view key = trimmed(line.substr(0, equals));
    const std::string_view value = trimmed(line.substr(equals + 1));
    for (const Field& field : kFields) {
      if (key != field.key) continue;
      if (!field.read(value, choices)) {
        return {std::nullopt, "line " + std::to_string(number) + ": " + quoted(value) +
                                  " is no value for " + field.key};
      }
    }
  }
  return {choices, ""};
}

}  // namespace peltrix
