// Control identifiers of the wizard's dialogs for the portable core, by the
// resource script's numbers (resources/resource_ids.h); the main window's
// shared ones are in platform/main_window.h.
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

}  // namespace velkor::wizard::ids
