// Control identifiers of the wizard's dialogs for the portable core. The
// numbers are the resource script's (resources/resource_ids.h); the main
// window's shared ones are also in platform/main_window.h, checked equal here.
#pragma once

#include "platform/main_window.h"
#include "resources/resource_ids.h"

namespace velkor::wizard::ids {

// In a move table: the dialog's own window.
inline constexpr int kDialog = 0;

// Buttons of the licence page and the exit confirmation.
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;

inline constexpr int kSeparator = IDC_SEPARATOR;
inline constexpr int kGrip = IDC_GRIP;

namespace ts {
inline constexpr int kBack = IDC_TS_BACK;
inline constexpr int kTitle = IDC_TS_TITLE;
inline constexpr int kText = IDC_TS_TEXT;
inline constexpr int kInstruction = IDC_TS_INSTRUCTION;
inline constexpr int kFrame = IDC_TS_FRAME;
inline constexpr int kAgree = IDC_TS_AGREE;
}  // namespace ts

static_assert(ctl::kNext == IDC_NEXT && ctl::kCancelFinish == IDC_CANCEL_FINISH &&
                  ctl::kLine1 == IDC_LINE1 && ctl::kTitle == IDC_TITLE &&
                  ctl::kLine2 == IDC_LINE2 && ctl::kLine3 == IDC_LINE3 &&
                  ctl::kProgress == IDC_PROGRESS && ctl::kStatus == IDC_STATUS &&
                  ctl::kBanner == IDC_BANNER && ctl::kAnimation == IDC_ANIMATION,
              "the view's control numbers are the resource script's");

}  // namespace velkor::wizard::ids
