// What a finished installation left on the machine, read back with the
// system's own calls and compared with the setup file and the fixed values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scenarios.h"
#include "engine/font_step.h"
#include "engine/install_paths.h"
#include "payload/layout.h"
#include "lib/wine_env.h"
#include "win/finish_win_support.h"

namespace velkor::e2e {

using wintest::fileExists;
using wintest::readFile;
using wintest::readValue;
using wintest::specialFolder;
using wintest::utf16le;
using wintest::wide;

// The install folder with its trailing backslash, and the fonts key, as the
// checks of an installed machine name them.
inline const std::wstring kInstallDir = wintest::wide(paths::kInstallDirectory) + L"\\";
inline const std::wstring kFontsKey = wintest::wide(fonts::kFontsKey);

// The system's font folder, with its trailing backslash.
std::wstring fontsFolder();
std::string sizeText(const std::vector<std::uint8_t>& bytes);
void expectAbsent(Driver& d, const std::wstring& path);

// The nine members byte for byte against the setup file's own slices (the
// font bundle must be gone again).
void verifyMembers(Driver& d, const std::wstring& setupFile);
// The fonts of the version's plan, on a prefix that had none.
void verifyFonts(Driver& d, const std::wstring& setupFile, const testenv::WindowsVersion& v);
void verifyRegistry(Driver& d);
void verifyShortcuts(Driver& d);
// The first-run marker after the finish (or after the sequence on 5.1).
void verifyMarkerAfterFinish(Driver& d, const testenv::WindowsVersion& v);
// What the log-off procedure of a first installation on 6.0 cleans up: the
// copy of Palace Script beside the setup is gone, the font folder keeps its own.
void verifyLogoffCleanup(Driver& d);
// Whether adding the installed FangSong copy reports two fonts on this system
// (then the finish registers no entry for it; Wine may count a vertical
// variant of a CJK face as a font of its own).
bool installedFangSongAddsTwo(Driver& d);
// The font entries the finish registers on 6.1 and later.
void verifyFinishFonts(Driver& d, const testenv::WindowsVersion& v);
// Nothing of an installation is there.
void verifyNothingInstalled(Driver& d);
// A top-level window captioned "VelkorCrypt.exe" (the product stand-in).
void waitProductWindow(Driver& d);
// Closes the product the finish started and waits until its window is gone.
void closeProduct(Driver& d);
// Bytes of the setup file's payload: `length` from `start` (a negative offset
// from the payload's end, as the member table counts).
std::vector<std::uint8_t> setupSlice(Driver& d, const std::wstring& setupFile, std::int64_t start,
                                     std::uint32_t length);
// One font's part of the setup file's font bundle.
std::vector<std::uint8_t> fontPart(Driver& d, const std::wstring& setupFile, const payload::FontPart& part);

}  // namespace velkor::e2e
