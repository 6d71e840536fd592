#include "wizard/licence_logic.h"

#include "wizard/texts.h"

namespace velkor::wizard {

const char16_t* LicenceLogic::onInit() {
  m_bBack = 0;
  return text::kBackCaption;
}

const char16_t* LicenceLogic::onAgree(bool ticked) {
  m_bBack = 0;
  return ticked ? text::kInstallCaption : text::kBackCaption;
}

void LicenceLogic::onOK(bool ticked) {
  if (ticked && m_bBack == 0) {
    m_bAccepted = 1;
  } else {
    m_bAccepted = 0;
    m_bCancelled = 0;
  }
}

void LicenceLogic::onBack(bool ticked) {
  m_bBack = 1;
  onOK(ticked);
}

bool LicenceLogic::onExitAnswered(bool leave) {
  if (!leave) return false;
  m_bCancelled = 1;
  return true;
}

LicenceOutcome LicenceLogic::outcome() const {
  if (m_bCancelled == 1) return LicenceOutcome::kCancelled;
  if (m_bAccepted == 1) return LicenceOutcome::kAccepted;
  return LicenceOutcome::kNeither;
}

std::u16string agreementText() {
  std::u16string agreement;
  agreement += text::kAgreementPiece1;
  agreement += text::kAgreementPiece2;
  agreement += text::kAgreementPiece3;
  agreement += text::kAgreementClause2Head;
  agreement += text::kDevelopmentEnvironment;
  agreement += text::kAgreementClause2Tail;
  agreement += text::kAgreementPiece5;
  agreement += text::kAgreementPiece6;
  agreement += text::kAgreementClause5;
  return agreement;
}

}  // namespace velkor::wizard
