// The host's input tracker: what a window's pointer and key events become in the frame's WidgetInput
// record. Events are fed as a render pipe's window sends them; the X11 tests drive it through real input.
#include <gtest/gtest.h>

#include "core/Obj.h"
#include "support/LogCapture.h"
#include "ui/WidgetInputTracker.h"

namespace PM::Test {
namespace {

// Virtual keys.
constexpr uint32_t kShift = 16, kControl = 17, kAlt = 18, kLeftArrow = 37;

class Tracker : public ::testing::Test {
 protected:
  void SetUp() override {
    t = NewCounted<WidgetInputTracker>();
    hold = Ptr<WidgetInputTracker>(t);
    t->SetClientRect(100, 50, 320, 240);
  }
  void TearDown() override { record = WidgetInput(); }
  WidgetInput& Fill() {
    t->Fill(record, nullptr);
    return record;
  }

  WidgetInputTracker* t = nullptr;
  Ptr<WidgetInputTracker> hold;
  WidgetInput record;
};

TEST_F(Tracker, APressReleasedWithinAFrameStillShowsAndADoubleClickOnce) {
  t->MouseDown(110, 60, kInputButtonLeft);
  t->MouseUp(110, 60, 0);
  EXPECT_EQ(Fill().buttons, kInputButtonLeft);
  EXPECT_EQ(Fill().buttons, 0u);
  t->MouseDown(110, 60, kInputButtonRight | kInputDoubleClick | 0x18);  // the extra buttons do not reach widgets
  EXPECT_EQ(Fill().buttons, kInputButtonRight | kInputDoubleClick);
  EXPECT_EQ(Fill().buttons, kInputButtonRight);
  t->FocusLost();
  EXPECT_EQ(Fill().buttons, 0u);
}

TEST_F(Tracker, HoverFollowsTheClientRectangle) {
  const struct {
    int32_t x, y;
    int hover;
  } kPoints[] = {{100, 50, 1}, {419, 289, 1}, {420, 100, 0}, {99, 100, 0}, {200, 290, 0}, {200, 49, 0}};
  for (const auto& p : kPoints) {
    t->MouseMove(p.x, p.y, 0);
    EXPECT_EQ(Fill().hoverPending, p.hover) << p.x << ", " << p.y;
  }
  t->MouseMove(200, 100, 0);
  t->MouseLeave();
  EXPECT_EQ(Fill().hoverPending, 0);
  t->MouseEnter(200, 100, 0);
  EXPECT_EQ(Fill().hoverPending, 1);
  // A window of no size counts as one pixel.
  t->SetClientRect(10, 20, 0, -5);
  t->MouseMove(10, 20, 0);
  EXPECT_EQ(Fill().hoverPending, 1);
  t->MouseMove(11, 20, 0);
  EXPECT_EQ(Fill().hoverPending, 0);
}

// A replayed click holds against the window's own pointer, crossing and focus events.
TEST_F(Tracker, ReplayedPointerIgnoresTheWindowsOwnEvents) {
  t->ReplayMove(200, 100, 0);
  t->MouseMove(0, 0, 0);
  t->MouseLeave();
  t->MouseDown(0, 0, kInputButtonRight);
  t->MouseWheel(0, 0, 2, 0);
  EXPECT_EQ(Fill().hoverPending, 1);
  EXPECT_EQ(record.buttons, 0u);
  EXPECT_EQ(record.wheel, 0.0f);
  t->ReplayDown(200, 100, kInputButtonLeft);
  t->FocusLost();
  t->MouseUp(0, 0, 0);
  EXPECT_EQ(Fill().buttons, kInputButtonLeft);
  EXPECT_EQ(Fill().buttons, kInputButtonLeft);
  t->ReplayUp(200, 100, 0);
  EXPECT_EQ(Fill().buttons, 0u);
}

TEST_F(Tracker, KeysCarryTheModifiersHeldWhenTheyWerePressed) {
  t->KeyDown(kShift, 0);
  t->KeyDown('A', 'A');
  t->KeyUp(kShift, 0);
  t->KeyDown(kControl, 0);
  t->KeyDown(kAlt, 0);
  t->KeyDown(kLeftArrow, 0);  // a key without a character still reaches the widgets by its virtual key
  t->KeyUp(kAlt, 0);
  t->KeyDown('V', 22);
  Fill();
  EXPECT_EQ(record.character, uint32_t('A'));
  EXPECT_EQ(record.virtualKey, uint32_t('A'));
  EXPECT_EQ(record.modifiers, kInputShift);
  Fill();
  EXPECT_EQ(record.character, 0u);
  EXPECT_EQ(record.virtualKey, kLeftArrow);
  EXPECT_EQ(record.modifiers, kInputControl | kInputAlt);
  Fill();
  EXPECT_EQ(record.character, 22u);
  EXPECT_EQ(record.modifiers, kInputControl);
  EXPECT_TRUE(record.text.IsEmpty());  // no clipboard: a paste brings no text
  // No key waiting: the modifiers held now. Focus lost: their releases go elsewhere, so none stay held.
  EXPECT_EQ(Fill().modifiers, kInputControl);
  EXPECT_EQ(record.virtualKey, 0u);
  t->FocusLost();
  EXPECT_EQ(Fill().modifiers, 0u);
  t->KeyDown('B', 'b');
  EXPECT_EQ(Fill().modifiers, 0u);
}

TEST_F(Tracker, TheKeyQueueKeepsTheNewestAndSaysOnceWhenItDrops) {
  LogCapture log;
  const uint32_t kTyped = WidgetInputTracker::kMaxQueuedKeys + 8;
  for (uint32_t i = 1; i <= kTyped; ++i) t->KeyDown('A', i);
  EXPECT_EQ(log.Take(),
            "Warn  WidgetInputTracker: more than 32 keys wait for the frames that take them; the oldest are "
            "dropped.\n");
  for (uint32_t i = 9; i <= kTyped; ++i) EXPECT_EQ(Fill().character, i);
  EXPECT_EQ(Fill().character, 0u);
  // Once the queue ran empty, a new flood is said again.
  for (uint32_t i = 0; i <= WidgetInputTracker::kMaxQueuedKeys; ++i) t->KeyDown('A', 'a');
  EXPECT_EQ(log.Lines(), 1);
}

TEST_F(Tracker, WheelStepsAddUpWithinAFrame) {
  t->MouseWheel(200, 100, 1, 0);
  t->MouseWheel(200, 100, 1.5f, 0);
  EXPECT_EQ(Fill().wheel, 2.5f);
  EXPECT_EQ(record.hoverPending, 1);
  EXPECT_EQ(Fill().wheel, 0.0f);
}

}  // namespace
}  // namespace PM::Test
