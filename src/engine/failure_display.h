// The failure page the installation leaves behind when it gives up: texts on
// the main window's lines, the Next button hidden, the second button "确定",
// and the flags that tell the Next and Finish handlers it failed.
#pragma once

#include <string>

#include "engine/wizard_state.h"
#include "platform/main_window.h"

namespace velkor {

namespace text {
inline constexpr char16_t kFailureTitle[] = u"Velkor超级文件加密器 安装向导提示";
inline constexpr char16_t kProgramInUse[] = u"当前该可执行程序正在运行，请关闭后重新安装...";
inline constexpr char16_t kSetupDamaged[] = u"安装程序文件不完整或已损坏，请重新下载后再安装。";
inline constexpr char16_t kWriteFailed[] = u"文件写入失败，请检查磁盘空间后重新安装。";
inline constexpr char16_t kClickOkToExit[] = u"单击确定退出安装。";
inline constexpr char16_t kInstallFailedStatus[] = u"安装失败！";
inline constexpr char16_t kOkCaption[] = u"确定";
}  // namespace text

// Shows the failure page naming `path` with `reason` on line 1004, then sets
// bInstalling to 0 and bInstallFailed to 1.
void showInstallFailure(MainWindow& view, WizardState& state, const std::u16string& path,
                        const std::u16string& reason);

}  // namespace velkor
