// What every main-window port must do, as the real wizard dialog does it.
// Natively these run on FakeMainWindow; under Wine on Win32MainWindow and a
// real dialog made from the wizard's own template, so the fake cannot drift
// from the window it stands in for.
//
// An Env type provides:
//   void run(const std::function<void(MainWindow&)>& body): runs `body` on
//     the window once it is up (a real dialog: inside its modal loop) and
//     returns when the window is done with;
//   std::optional<int> result(): after run, the result the dialog ended
//     with, nothing when the body did not end it;
// and, inside the body, what the window shows:
//   std::u16string text(int control); bool controlVisible(int control);
//   wizard::Rect rect(int control) (client coordinates); int position() (the
//   bar's); bool windowVisible(); bool closeItemEnabled();
//   bool animating(int control);
//   void postProbe(); int probesHandled() (a message left waiting in the
//     thread's queue, and how many of them the window has handled);
//   void answerNextBox(int button) (the next message box is answered with
//     that button); contract::Box lastBox().
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/main_window.h"
#include "wizard/appearance.h"

namespace velkor::contract {

// A message box as the user saw it.
struct Box {
  std::u16string caption;
  std::u16string text;
  bool ownedByTheWindow = false;
};

// Dialog results and message box styles and buttons, as Windows numbers them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdNo = 7;
inline constexpr unsigned kYesNoQuestion = 0x04 | 0x20;  // MB_YESNO | MB_ICONQUESTION

template <class Env>
class MainWindowContract : public ::testing::Test {
 protected:
  void run(const std::function<void(MainWindow&)>& body) { env_.run(body); }
  Env env_;
};

TYPED_TEST_SUITE_P(MainWindowContract);

TYPED_TEST_P(MainWindowContract, TextsReachStaticsAndButtonsAlike) {
  auto& env = this->env_;
  this->run([&](MainWindow& w) {
    w.setText(ctl::kLine1, u"欢迎使用 Velkor超级文件加密器 安装向导");
    w.setText(ctl::kStatus, u"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe");
    w.setText(ctl::kCancelFinish, u"稍后...");
    EXPECT_EQ(env.text(ctl::kLine1), u"欢迎使用 Velkor超级文件加密器 安装向导");
    EXPECT_EQ(env.text(ctl::kStatus), u"C:\\Program Files\\VelkorCrypt\\VelkorCrypt.exe");
    EXPECT_EQ(env.text(ctl::kCancelFinish), u"稍后...");
    // A later text replaces the earlier one whole, an empty one included.
    w.setText(ctl::kCancelFinish, u"确定");
    w.setText(ctl::kStatus, u"");
    EXPECT_EQ(env.text(ctl::kCancelFinish), u"确定");
    EXPECT_EQ(env.text(ctl::kStatus), u"");
    EXPECT_EQ(env.text(ctl::kLine1), u"欢迎使用 Velkor超级文件加密器 安装向导") << "other controls keep theirs";
  });
  EXPECT_EQ(env.result(), std::nullopt) << "texts end nothing";
}

TYPED_TEST_P(MainWindowContract, ShowAndHideTouchOnlyTheControlNamed) {
  auto& env = this->env_;
  this->run([&](MainWindow& w) {
    const bool cancelVisible = env.controlVisible(ctl::kCancelFinish);
    w.show(ctl::kNext, false);
    EXPECT_FALSE(env.controlVisible(ctl::kNext));
    EXPECT_EQ(env.controlVisible(ctl::kCancelFinish), cancelVisible);
    w.show(ctl::kNext, true);
    EXPECT_TRUE(env.controlVisible(ctl::kNext));
    w.show(ctl::kProgress, true);
    w.show(ctl::kProgress, true);
    EXPECT_TRUE(env.controlVisible(ctl::kProgress)) << "showing twice is showing";
  });
}

TYPED_TEST_P(MainWindowContract, AMoveShiftsTheControlByThePixelsGivenAndKeepsItsSize) {
  auto& env = this->env_;
  this->run([&](MainWindow& w) {
    const wizard::Rect line3 = env.rect(ctl::kLine3);
    const wizard::Rect status = env.rect(ctl::kStatus);
    w.moveControl(ctl::kLine3, 0, 2);
    EXPECT_EQ(env.rect(ctl::kLine3), (wizard::Rect{line3.left, line3.top + 2, line3.width, line3.height}));
    w.moveControl(ctl::kLine3, -3, -5);
    EXPECT_EQ(env.rect(ctl::kLine3), (wizard::Rect{line3.left - 3, line3.top - 3, line3.width, line3.height}))
        << "moves add up";
    EXPECT_EQ(env.rect(ctl::kStatus), status) << "other controls stay";
  });
}

TYPED_TEST_P(MainWindowContract, TheBarClampsItsPositionAndStepsOverTheTopFromTheBottom) {
  auto& env = this->env_;
  this->run([&](MainWindow& w) {
    w.setProgressRange(0, 50);
    w.setProgressStep(5);
    w.setProgressPos(12);
    EXPECT_EQ(env.position(), 12);
    w.stepProgress();
    EXPECT_EQ(env.position(), 17);
    w.setProgressPos(48);
    w.stepProgress();
    EXPECT_EQ(env.position(), 3) << "53 starts over from the bottom";
    w.setProgressPos(80);
    EXPECT_EQ(env.position(), 50) << "held at the top";
    w.setProgressRange(10, 30);
    EXPECT_EQ(env.position(), 30) << "a new range takes the position in";
    w.setProgressPos(4);
    EXPECT_EQ(env.position(), 10) << "held at the bottom";
    w.setProgressPos(28);
    w.stepProgress();
    EXPECT_EQ(env.position(), 13) << "33 starts over from the bottom of the range";
  });
}

TYPED_TEST_P(MainWindowContract, StoppingOneAnimationLeavesTheOtherPlaying) {
  auto& env = this->env_;
  this->run([&](MainWindow& w) {
    ASSERT_TRUE(env.animating(ctl::kBanner));
    ASSERT_TRUE(env.animating(ctl::kAnimation));
    w.stopAnimation(ctl::kBanner);
    EXPECT_FALSE(env.animating(ctl::kBanner));
    EXPECT_TRUE(env.animating(ctl::kAnimation));
    w.stopAnimation(ctl::kLine1);  // no picture there: nothing happens
    EXPECT_TRUE(env.animating(ctl::kAnimation));
    w.stopAnimation(ctl::kAnimation);
    w.stopAnimation(ctl::kAnimation);
    EXPECT_FALSE(env.animating(ctl::kAnimation)) << "a second stop changes nothing";
  });
}

TYPED_TEST_P(MainWindowContract, TheWindowHidesAndShowsAgain) {
  auto& env = this->env_;
  this->run([&](MainWindow& w) {
    w.showWindow(false);
    EXPECT_FALSE(env.windowVisible());
    w.showWindow(true);
    EXPECT_TRUE(env.windowVisible());
  });
  EXPECT_EQ(env.result(), std::nullopt) << "hiding is no end";
}

TYPED_TEST_P(MainWindowContract, TheCloseItemIsGreyedAndEnabledAgain) {
  auto& env = this->env_;
  this->run([&](MainWindow& w) {
    EXPECT_TRUE(env.closeItemEnabled());
    w.enableCloseItem(false);
    EXPECT_FALSE(env.closeItemEnabled());
    w.enableCloseItem(false);
    EXPECT_FALSE(env.closeItemEnabled());
    w.enableCloseItem(true);
    EXPECT_TRUE(env.closeItemEnabled());
  });
}

TYPED_TEST_P(MainWindowContract, APumpHandlesTheMessagesWaiting) {
  auto& env = this->env_;
  this->run([&](MainWindow& w) {
    env.postProbe();
    env.postProbe();
    EXPECT_EQ(env.probesHandled(), 0) << "nothing runs before the pump";
    w.pumpMessages();
    EXPECT_EQ(env.probesHandled(), 2);
    w.pumpMessages();
    EXPECT_EQ(env.probesHandled(), 2) << "an empty queue: the pump returns";
  });
}

TYPED_TEST_P(MainWindowContract, AMessageBoxBelongsToTheWindowAndReturnsTheButtonPressed) {
  auto& env = this->env_;
  this->run([&](MainWindow& w) {
    env.answerNextBox(kIdNo);
    EXPECT_EQ(w.messageBox(u"字体安装失败", u"提示", kYesNoQuestion), kIdNo);
    const Box box = env.lastBox();
    EXPECT_EQ(box.caption, u"提示");
    EXPECT_NE(box.text.find(u"字体安装失败"), std::u16string::npos) << "the box shows the text";
    EXPECT_TRUE(box.ownedByTheWindow);
  });
  EXPECT_EQ(env.result(), std::nullopt) << "the box ends only itself";
}

TYPED_TEST_P(MainWindowContract, TheEndsGiveTheirResults) {
  auto& env = this->env_;
  this->run([](MainWindow& w) { w.endWithOk(); });
  EXPECT_EQ(env.result(), kIdOk) << "the OK handling";
  this->run([](MainWindow& w) { w.endDialog(0); });
  EXPECT_EQ(env.result(), 0);
  this->run([](MainWindow& w) { w.endDialog(5); });
  EXPECT_EQ(env.result(), 5);
}

TYPED_TEST_P(MainWindowContract, TheLastEndGivenInOneHandlerWins) {
  auto& env = this->env_;
  // A failed start of the product ends with 0, the finish then with OK.
  this->run([](MainWindow& w) {
    w.endDialog(0);
    w.endWithOk();
  });
  EXPECT_EQ(env.result(), kIdOk);
}

TYPED_TEST_P(MainWindowContract, TheCloseCommandGoesThroughTheDialogsCloseHandling) {
  auto& env = this->env_;
  this->run([](MainWindow& w) { w.sendCloseCommand(); });
  EXPECT_EQ(env.result(), kIdCancel) << "SC_CLOSE -> WM_CLOSE -> the cancel command";
}

REGISTER_TYPED_TEST_SUITE_P(MainWindowContract, TextsReachStaticsAndButtonsAlike,
                            ShowAndHideTouchOnlyTheControlNamed,
                            AMoveShiftsTheControlByThePixelsGivenAndKeepsItsSize,
                            TheBarClampsItsPositionAndStepsOverTheTopFromTheBottom,
                            StoppingOneAnimationLeavesTheOtherPlaying, TheWindowHidesAndShowsAgain,
                            TheCloseItemIsGreyedAndEnabledAgain, APumpHandlesTheMessagesWaiting,
                            AMessageBoxBelongsToTheWindowAndReturnsTheButtonPressed,
                            TheEndsGiveTheirResults, TheLastEndGivenInOneHandlerWins,
                            TheCloseCommandGoesThroughTheDialogsCloseHandling);

}  // namespace velkor::contract
