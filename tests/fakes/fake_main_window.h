// The main window for unit tests: keeps each control's last text, visibility
// and rectangle, models the progress bar's position as the common control
// moves it, the window's visibility, the Close item, the animations and how
// the dialog ended. Records every call except pumps (counted): the controls'
// and the bar's in `events`, the window's own in `calls`, the endings in
// `endings`; each also as one journal line.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/finish_journal.h"
#include "platform/main_window.h"
#include "wizard/appearance.h"

namespace velkor::fakes {

class FakeMainWindow : public MainWindow {
 public:
  // The results the framework's dialog ends with: IDOK, and IDCANCEL from
  // its default close handling.
  static constexpr int kOk = 1;
  static constexpr int kCancel = 2;

  enum class Kind { Text, Show, Range, Step, Pos, StepIt, MessageBox, UpdateWindow, StopAnimation };
  struct Event {
    Kind kind;
    int control = 0;      // Text, Show, StopAnimation
    std::u16string text;  // Text, MessageBox (the text)
    int a = 0;            // Show: visible; Range: lower; Step: step; Pos: pos; MessageBox: style
    int b = 0;            // Range: upper
  };

  // --- Controls and the bar -----------------------------------------------
  void setText(int control, const std::u16string& text) override {
    texts[control] = text;
    record(event(Kind::Text, control, text));
  }
  void show(int control, bool visible) override {
    this->visible[control] = visible;
    record(event(Kind::Show, control, {}, visible ? 1 : 0));
  }
  void setProgressRange(std::uint16_t lower, std::uint16_t upper) override {
    lower_ = lower;
    upper_ = upper;
    pos_ = clamp(pos_);
    record(event(Kind::Range, 0, {}, lower, upper));
  }
  void setProgressStep(int step) override {
    step_ = step;
    record(event(Kind::Step, 0, {}, step));
  }
  void setProgressPos(int pos) override {
    pos_ = clamp(pos);
    record(event(Kind::Pos, 0, {}, pos));
  }
  void stepProgress() override {
    // PBM_STEPIT starts over from the lower bound once it passes the upper one.
    int next = pos_ + step_;
    if (next > upper_) next = upper_ > lower_ ? lower_ + (next - upper_) % (upper_ - lower_) : lower_;
    pos_ = next;
    ++stepIts;
    record(event(Kind::StepIt));
    if (onStepIt) onStepIt();
  }
  void pumpMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  int messageBox(const std::u16string& text, const std::u16string& caption,
                 unsigned style) override {
    boxCaptions.push_back(caption);
    record(event(Kind::MessageBox, 0, text, static_cast<int>(style)));
    return messageBoxResult;
  }
  void updateWindow() override { record(event(Kind::UpdateWindow)); }
  void stopAnimation(int control) override {
    stopped.insert(control);
    record(event(Kind::StopAnimation, control));
  }
  void moveControl(int control, int dx, int dy) override {
    wizard::Rect& r = rects[control];
    r.left += dx;
    r.top += dy;
    moves.push_back({control, dx, dy});
    call(u"moveControl " + number(control) + u" " + number(dx) + u" " + number(dy));
  }

  // --- The window -----------------------------------------------------------
  void showWindow(bool visible) override {
    shown = visible;
    call(visible ? u"showWindow 1" : u"showWindow 0");
  }
  void playSound() override {
    ++sounds;
    call(u"playSound");
  }
  void enableCloseItem(bool enabled) override {
    closeItemEnabled = enabled;
    call(enabled ? u"closeItem 1" : u"closeItem 0");
  }

  // --- Endings: the last one given sets the result ---------------------------
  void endWithOk() override {
    result = kOk;
    ending(u"endWithOk");
  }
  void endDialog(int code) override {
    result = code;
    ending(u"endDialog " + number(code));
  }
  void sendCloseCommand() override {
    ending(u"sendCloseCommand");
    if (onCloseCommand) onCloseCommand();
    else result = kCancel;
  }

  // --- Inspection ---------------------------------------------------------
  std::map<int, std::u16string> texts;
  std::map<int, bool> visible;
  std::vector<Event> events;
  std::vector<std::u16string> boxCaptions;
  std::size_t pumps = 0;
  std::size_t stepIts = 0;
  int messageBoxResult = 1;  // IDOK
  std::function<void()> onPump;
  std::function<void()> onStepIt;
  // Every recorded call is also appended here, shared with other fakes.
  std::vector<std::u16string>* journal = nullptr;

  bool shown = true;
  bool closeItemEnabled = true;
  int sounds = 0;
  std::vector<std::u16string> calls;  // "showWindow 0", "closeItem 1", ...
  struct MoveCall {
    int control, dx, dy;
  };
  std::vector<MoveCall> moves;
  std::map<int, wizard::Rect> rects;  // from (0, 0, 0, 0), as moved
  std::set<int> stopped;              // animations stopped
  std::vector<std::u16string> endings;  // "endWithOk", "endDialog 0", "sendCloseCommand"
  std::optional<int> result;            // how the dialog ended, if it did
  // The dialog's close handling; without one it ends with kCancel.
  std::function<void()> onCloseCommand;

  std::optional<std::u16string> text(int control) const {
    auto it = texts.find(control);
    if (it == texts.end()) return std::nullopt;
    return it->second;
  }
  bool isVisible(int control, bool otherwise = true) const {
    auto it = visible.find(control);
    return it == visible.end() ? otherwise : it->second;
  }
  int position() const { return pos_; }
  int upperBound() const { return upper_; }
  // The texts written to one control, in order.
  std::vector<std::u16string> textsOf(int control) const {
    std::vector<std::u16string> out;
    for (const auto& e : events)
      if (e.kind == Kind::Text && e.control == control) out.push_back(e.text);
    return out;
  }
  std::vector<Event> eventsOf(Kind kind) const {
    std::vector<Event> out;
    for (const auto& e : events)
      if (e.kind == kind) out.push_back(e);
    return out;
  }

 private:
  static Event event(Kind kind, int control = 0, std::u16string text = {}, int a = 0, int b = 0) {
    return Event{kind, control, std::move(text), a, b};
  }
  int clamp(int pos) const { return pos < lower_ ? lower_ : pos > upper_ ? upper_ : pos; }
  void record(Event e) {
    note(journal, describe(e));
    events.push_back(std::move(e));
  }
  void call(const std::u16string& line) {
    calls.push_back(line);
    note(journal, line);
  }
  void ending(const std::u16string& line) {
    endings.push_back(line);
    note(journal, line);
  }
  static std::u16string number(int v) { return numberText(v); }
  static std::u16string describe(const Event& e) {
    switch (e.kind) {
      case Kind::Text: return u"setText " + number(e.control) + u" " + e.text;
      case Kind::Show: return u"show " + number(e.control) + (e.a ? u" 1" : u" 0");
      case Kind::Range: return u"setProgressRange " + number(e.a) + u" " + number(e.b);
      case Kind::Step: return u"setProgressStep " + number(e.a);
      case Kind::Pos: return u"setProgressPos " + number(e.a);
      case Kind::StepIt: return u"stepProgress";
      case Kind::MessageBox: return u"messageBox " + e.text;
      case Kind::UpdateWindow: return u"updateWindow";
      case Kind::StopAnimation: return u"stopAnimation " + number(e.control);
    }
    return {};
  }

  int lower_ = 0;
  int upper_ = 100;  // the control's default range
  int step_ = 10;    // and default step
  int pos_ = 0;
};

}  // namespace velkor::fakes
