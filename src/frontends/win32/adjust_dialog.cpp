#include "frontends/win32/adjust_dialog.hpp"

// commctrl.h needs windows.h first.
#include <commctrl.h>

#include "frontends/win32/resource_ids.h"
#include "frontends/window/tone_sliders.hpp"
#include "frontends/window/window_layout.hpp"
#include "platform/text_windows.hpp"

namespace peltrix::win32 {
namespace {

struct AdjustContext {
  Tone tone;
  const std::function<void(const Tone&)>* changed;
};

void showValues(HWND dialog, const Tone& tone) {
  for (int i = 0; i < int(kToneSliders.size()); ++i) {
    const ToneSlider& s = kToneSliders[i];
    SendDlgItemMessageW(dialog, PELTRIX_TONE_SLIDER + i, TBM_SETPOS, TRUE, tone.*s.field);
    SetDlgItemTextW(dialog, PELTRIX_TONE_VALUE + i,
                    toUtf16(toneValueText(s, tone.*s.field)).c_str());
  }
}

// The sliders as they stand now, told to the window when they moved.
void slidersMoved(HWND dialog, AdjustContext& context) {
  Tone tone;
  for (int i = 0; i < int(kToneSliders.size()); ++i) {
    tone.*kToneSliders[i].field =
        static_cast<int>(SendDlgItemMessageW(dialog, PELTRIX_TONE_SLIDER + i, TBM_GETPOS, 0, 0));
  }
  if (tone == context.tone) return;
  context.tone = tone;
  showValues(dialog, tone);
  (*context.changed)(tone);
}

// Over the blend view, which changes only at "Process", so the source view stays in sight.
void placeOverBlendView(HWND dialog) {
  RECT view;
  HWND blend = GetDlgItem(GetParent(dialog), kBlendView);
  if (blend != nullptr && GetWindowRect(blend, &view)) {
    SetWindowPos(dialog, nullptr, view.left, view.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
}

INT_PTR CALLBACK adjustProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* context = reinterpret_cast<AdjustContext*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      context = reinterpret_cast<AdjustContext*>(lParam);
      for (int i = 0; i < int(kToneSliders.size()); ++i) {
        const ToneSlider& s = kToneSliders[i];
        SetDlgItemTextW(dialog, PELTRIX_TONE_LABEL + i, toUtf16(s.label).c_str());
        // TBM_SETRANGE packs both ends into 16-bit halves; the brightness starts below 0.
        SendDlgItemMessageW(dialog, PELTRIX_TONE_SLIDER + i, TBM_SETRANGEMIN, FALSE, s.range.low);
        SendDlgItemMessageW(dialog, PELTRIX_TONE_SLIDER + i, TBM_SETRANGEMAX, TRUE, s.range.high);
        // Away from the start position first: wine's slider places its thumb anew only when
        // the position changes, and 0 (the brightness's start) is its own first position.
        SendDlgItemMessageW(dialog, PELTRIX_TONE_SLIDER + i, TBM_SETPOS, FALSE, s.range.high);
        SendDlgItemMessageW(dialog, PELTRIX_TONE_SLIDER + i, TBM_SETPAGESIZE, 0, 10);
      }
      showValues(dialog, context->tone);
      placeOverBlendView(dialog);
      return TRUE;
    case WM_HSCROLL:
      if (context != nullptr) slidersMoved(dialog, *context);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case PELTRIX_TONE_RESET:
          showValues(dialog, Tone{});
          slidersMoved(dialog, *context);
          return TRUE;
        case IDOK:
        case IDCANCEL:  // Escape and the close box keep what the sliders show, as OK does
          EndDialog(dialog, IDOK);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

void runAdjustDialog(HINSTANCE instance, HWND owner, const Tone& start,
                     const std::function<void(const Tone&)>& changed) {
  AdjustContext context{start, &changed};
  DialogBoxParamW(instance, MAKEINTRESOURCEW(PELTRIX_ADJUST_DIALOG), owner, adjustProc,
                  reinterpret_cast<LPARAM>(&context));
}

}  // namespace peltrix::win32
