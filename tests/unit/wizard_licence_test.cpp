// The licence page's state table: the caption of its first button, the three
// results, the exit confirmation's two answers, and the agreement's text.
#include <gtest/gtest.h>

#include <string>

#include "wizard/licence_logic.h"
#include "wizard/texts.h"

namespace velkor::wizard {
namespace {

const std::u16string kBack = u"< 上一步 (&B)";
const std::u16string kInstall = u"安装 (&I)";

TEST(LicencePage, TheFirstButtonStartsAsBackAndTogglesWithTheBox) {
  LicenceLogic page;
  EXPECT_EQ(page.onInit(), kBack);
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(page.onAgree(true), kInstall);
    EXPECT_EQ(page.onAgree(false), kBack);
  }
  EXPECT_EQ(page.outcome(), LicenceOutcome::kNeither);
}

TEST(LicencePage, TheFirstButtonWithTheBoxTickedAccepts) {
  LicenceLogic page;
  page.onInit();
  page.onAgree(true);
  page.onOK(true);
  EXPECT_EQ(page.outcome(), LicenceOutcome::kAccepted);
  EXPECT_EQ(page.m_bAccepted, 1);
  EXPECT_EQ(page.m_bCancelled, 0);
}

TEST(LicencePage, TheFirstButtonWithTheBoxClearGoesBackWithNeitherResult) {
  LicenceLogic page;
  page.onInit();
  page.onAgree(true);
  page.onAgree(false);
  page.onOK(false);
  EXPECT_EQ(page.outcome(), LicenceOutcome::kNeither);
}

TEST(LicencePage, TheBackCommandGivesNeitherResultEvenWithTheBoxTicked) {
  LicenceLogic page;
  page.onInit();
  page.onAgree(true);
  page.onBack(true);
  EXPECT_EQ(page.outcome(), LicenceOutcome::kNeither);
  EXPECT_EQ(page.m_bBack, 1);
  // A click on the box withdraws a pending back request.
  page.onAgree(true);
  EXPECT_EQ(page.m_bBack, 0);
}

TEST(LicencePage, CancelThenNoKeepsThePageCancelThenYesCancels) {
  LicenceLogic page;
  page.onInit();
  page.onAgree(true);
  EXPECT_FALSE(page.onExitAnswered(false)) << "the page is shown again";
  EXPECT_EQ(page.outcome(), LicenceOutcome::kNeither);
  EXPECT_TRUE(page.onExitAnswered(true));
  EXPECT_EQ(page.outcome(), LicenceOutcome::kCancelled);
  EXPECT_EQ(page.m_bAccepted, 0) << "a page ended by Cancel reports accepted = 0";
}

TEST(Agreement, SevenPiecesEndToEndWithOurOwnClauses) {
  const std::u16string agreement = agreementText();
  EXPECT_EQ(agreement.rfind(u"重要提示：\nVelkor超级文件加密器在此特别提醒用户", 0), 0u);
  // Piece 1 ends without a line feed, so piece 2 continues its last line.
  EXPECT_NE(agreement.find(u"决定接受或不接受本协议。如果安装使用则被\n"), std::u16string::npos);
  EXPECT_NE(agreement.find(u"工具软件, 采用C++17\n之Unicode编码设计"), std::u16string::npos);
  EXPECT_NE(agreement.find(u"\n  ·系统桌面: "), std::u16string::npos);
  const std::u16string clause5 = text::kAgreementClause5;
  ASSERT_GE(agreement.size(), clause5.size());
  EXPECT_EQ(agreement.compare(agreement.size() - clause5.size(), clause5.size(), clause5), 0)
      << "clause 5 ends the text";
  EXPECT_EQ(clause5.rfind(u"5.本软件由", 0), 0u);
  EXPECT_NE(clause5.find(u"Velkor Software"), std::u16string::npos);
  EXPECT_NE(clause5.find(u"support@velkor.example"), std::u16string::npos);
  int feeds = 0;
  for (char16_t c : clause5) feeds += c == u'\n';
  EXPECT_EQ(feeds, 2) << "broken by one line feed and ended by one";
  EXPECT_EQ(clause5.back(), u'\n');
  EXPECT_EQ(agreement.find(text::kFaceSymbol), std::u16string::npos) << "no face symbol in it";
  EXPECT_EQ(agreement.find(u'\r'), std::u16string::npos) << "line feeds only";
}

}  // namespace
}  // namespace velkor::wizard
