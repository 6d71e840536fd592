// The licence page's state: two result flags and a pending back request, and
// the caption of its first button, which is "back" while the agreement box is
// clear and "install" while it is ticked.
#pragma once

#include <cstdint>
#include <string>

namespace velkor::wizard {

// What the Next command reads once the page has closed.
enum class LicenceOutcome { kAccepted, kCancelled, kNeither };

class LicenceLogic {
 public:
  // At initialisation: no back request; the caption of button 1.
  const char16_t* onInit();
  // The box was clicked and now reads `ticked`; the caption of button 1.
  const char16_t* onAgree(bool ticked);
  // Button 1 (and every other route to the OK command).
  void onOK(bool ticked);
  // The back command: a back request, then the OK command, so neither result.
  void onBack(bool ticked);
  // The exit confirmation answered; true when the page ends (cancelled).
  bool onExitAnswered(bool leave);

  LicenceOutcome outcome() const;

  std::int32_t m_bAccepted = 0;
  std::int32_t m_bBack = 0;
  std::int32_t m_bCancelled = 0;
};

// The agreement shown on the page: its seven pieces end to end.
std::u16string agreementText();

}  // namespace velkor::wizard
