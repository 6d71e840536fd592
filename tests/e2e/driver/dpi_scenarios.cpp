// Every page at the display's DPI (120 or 144 with VELKOR_DPI, else 96):
// each shown text measured inside the wizard by the text probe against its
// control, each control against its dialog, each page photographed. The
// scenario walks on through every page and fails at its end with one line
// per text that does not fit and per control outside its dialog.
#include <windows.h>

#include <set>
#include <sstream>

#include "lib/text_probe/probe_client.h"
#include "wizard/control_ids.h"
#include "wizard_steps.h"

namespace velkor::e2e {
namespace {

namespace ids = wizard::ids;

// The identifiers whose texts a record line measured ("<verdict> <id> ... needs ...").
std::set<int> measuredTexts(const std::vector<std::string>& lines) {
  std::set<int> found;
  for (const auto& line : lines) {
    std::istringstream words(line);
    std::string verdict;
    int id = 0;
    if (words >> verdict >> id && line.find(" needs ") != std::string::npos) found.insert(id);
  }
  return found;
}

class PageCheck {
 public:
  explicit PageCheck(Driver& d) : d_(d), probe_(d) {}

  // Measures `dialog` as the page `page`, which must show texts in the
  // controls `texts`; photographs it. What does not fit is kept for the end.
  void page(HWND dialog, const std::string& page, const std::vector<int>& texts) {
    d_.step(page + ": every text whole, every control inside the dialog");
    const ProbeReport report = probe_.measure(dialog, page);
    d_.screenshot(dialog, "dpi-" + page);
    d_.expect(report.dpi == configuredDpi(), "the " + page + " drawn at " + std::to_string(configuredDpi()) + " dpi",
              std::to_string(report.dpi) + " dpi");
    const std::set<int> measured = measuredTexts(report.lines);
    std::string missing;
    for (int id : texts)
      if (measured.count(id) == 0) missing += " " + std::to_string(id);
    d_.expect(missing.empty(), "the texts of the " + page + " measured", "not measured:" + missing);
    for (const auto& line : report.failing) failing_.push_back(page + ": " + line);
  }

  // One line per text cut and per control outside, over every page.
  void verdict() {
    d_.step("the verdict over every page");
    std::string lines;
    for (const auto& line : failing_) lines += "\n  " + line;
    d_.expect(failing_.empty(),
              "every text whole and every control inside its dialog at " + std::to_string(configuredDpi()) + " dpi",
              std::to_string(failing_.size()) + " faults:" + lines);
  }

 private:
  Driver& d_;
  TextProbe probe_;
  std::vector<std::string> failing_;
};

HWND startWizard(Driver& d, const Options& o) {
  startSetup(d, o);
  return d.waitWindow(kMainWindow);
}

}  // namespace

// Welcome, About box, licence page, exit confirmation, licence accepted,
// progress (with every status text the installation writes) and finish.
TEST_F(Pages, dpi_texts) {
  PageCheck check(d);
  HWND main = startWizard(d, o);
  check.page(main, "welcome", {ctl::kNext, ctl::kCancelFinish, ctl::kLine1, ctl::kLine2, ctl::kLine3});

  d.step("the About box");
  PostMessageW(main, WM_SYSCOMMAND, 0x0010, 0);
  HWND about = d.waitWindow(kAboutBox);
  check.page(about, "about", {IDOK});
  d.click(about, IDOK);
  d.waitGone(about, "the About box");

  d.step("Next opens the licence page");
  d.click(main, ctl::kNext);
  HWND licence = d.waitWindow(kLicencePage);
  check.page(licence, "licence", {ids::kOk, ids::kCancel, ids::ts::kInstruction, ids::ts::kAgree});

  d.step("Cancel asks for the exit confirmation");
  d.click(licence, ids::kCancel);
  HWND exitDialog = d.waitWindow(kExitDialog);
  check.page(exitDialog, "exit-confirmation", {ids::kOk, ids::kCancel, ctl::kLine1, ctl::kLine2, ctl::kLine3});
  d.click(exitDialog, ids::kCancel);
  d.waitGone(exitDialog, "the exit confirmation");

  licence = d.waitWindow(kLicencePage);
  tickAgree(d, licence, true);
  check.page(licence, "licence-accepted", {ids::kOk, ids::kCancel, ids::ts::kInstruction, ids::ts::kAgree});

  main = installWatchingProgress(d, licence, [&](HWND page) {
    check.page(page, "progress", {ctl::kCancelFinish, ctl::kLine2});
  });
  // The texts written during the installation (the status line with every
  // path) and by the finish come with this measurement.
  check.page(main, "finish", {ctl::kCancelFinish, ctl::kLine1, ctl::kTitle, ctl::kLine2, ctl::kStatus});
  d.step("\"完成\" ends the wizard");
  d.click(main, ctl::kCancelFinish);
  d.waitExit();
  check.verdict();
}

// The refusal page of a refused system.
TEST_F(Pages, dpi_refusal) {
  PageCheck check(d);
  HWND main = startWizard(d, o);
  check.page(main, "refusal", {ctl::kCancelFinish, ctl::kLine1, ctl::kTitle, ctl::kLine2, ctl::kLine3});
  d.step("\"确定\" ends the wizard");
  d.click(main, ctl::kCancelFinish);
  expectEnds(d);
  check.verdict();
}

// The failure page, naming the main program's path it could not write.
TEST_F(Pages, dpi_failure) {
  blockMainProgram(d);
  PageCheck check(d);
  HWND main = startWizard(d, o);
  d.step("Next opens the licence page");
  d.click(main, ctl::kNext);
  HWND licence = d.waitWindow(kLicencePage);
  tickAgree(d, licence, true);
  main = install(d, licence);
  check.page(main, "failure", {ctl::kCancelFinish, ctl::kLine1, ctl::kTitle, ctl::kStatus});
  d.step("Esc ends the wizard");
  d.key(main, VK_ESCAPE);
  expectEnds(d);
  check.verdict();
}

}  // namespace velkor::e2e
