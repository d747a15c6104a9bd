// Editing a text widget through its event entry point with synthetic key records: focus, the key table,
// limits, the selection, commits raising ValueChanged, and the mends for stored positions.
#include <gtest/gtest.h>

#include <string>

#include "scene/EngineWorld.h"
#include "ui/WEvent.h"
#include "ui/WEventCallback.h"
#include "ui/WHandler.h"
#include "ui/WText.h"
#include "ui/WidgetInput.h"

namespace PM::Test {
namespace {

int g_changes = 0;
void CountChange(uint32_t, Widget_I*, WHandler_I*, uint32_t, WidgetInput*) { ++g_changes; }

class TextEditTest : public EngineWorldTest {
 protected:
  void SetUp() override {
    EngineWorldTest::SetUp();
    m_text = Make("WText", "t");
    t = static_cast<WText_I*>(m_text.Get());
    t->SetEditable(true);
    m_callback = Make("WEventCallback");
    static_cast<WEventCallback_I*>(m_callback.Get())->SetFunction(&CountChange);
    m_handler = Make("WHandler");
    auto* h = static_cast<WHandler_I*>(m_handler.Get());
    h->m_handle = kWEventValueChanged;
    h->m_destination = m_callback.Get();
    t->m_handlerArray.Append(Obj<WHandler_I>(h));
    g_changes = 0;
  }
  void TearDown() override {
    t = nullptr;
    m_text = m_callback = m_handler = Obj<ScriptObject>();
    EngineWorldTest::TearDown();
  }
  // A key record: a character, a virtual key and modifiers; returns whether it was consumed.
  int32_t Key(uint32_t character, uint32_t virtualKey = 0, uint32_t modifiers = 0, const char* text = "") {
    WidgetInput in;
    in.character = character;
    in.virtualKey = virtualKey;
    in.modifiers = modifiers;
    in.text = text;
    t->SendEvent(kWEventKeyDown, &in);
    m_clip = std::string(in.text.View());
    return in.keyConsumed;
  }
  void Type(const char* s) {
    for (; *s; ++s) Key(uint8_t(*s));
  }
  void Focus(const char* text) {
    t->SetText(text);
    t->SendEvent(kWEventKeyboardFocus, nullptr);
  }
  std::string Text() const { return std::string(t->GetText().View()); }
  void ExpectState(const char* text, int32_t cursor, int32_t s, int32_t e, const char* what) {
    EXPECT_EQ(Text(), text) << what;
    EXPECT_EQ(t->m_cursorPos, cursor) << what;
    EXPECT_EQ(t->m_selectionStart, s) << what;
    EXPECT_EQ(t->m_selectionEnd, e) << what;
  }

  Obj<ScriptObject> m_text, m_callback, m_handler;
  WText_I* t = nullptr;
  std::string m_clip;
};

enum : uint32_t { kEnd = 35, kHome = 36, kLeft = 37, kUp = 38, kRight = 39, kDel = 46 };

TEST_F(TextEditTest, FocusSelectsAllAndTypingReplacesIt) {
  Focus("hello");
  ExpectState("hello", 5, 0, 5, "focus");
  Type("ab");
  ExpectState("ab", 2, -1, -1, "typed over the selection");
  EXPECT_EQ(g_changes, 2);
  t->SendEvent(kWEventKeyboardFocusLost, nullptr);
  ExpectState("ab", -1, -1, -1, "focus lost");
  Focus("");
  ExpectState("", 0, -1, -1, "an empty text selects nothing");
}

TEST_F(TextEditTest, SelectionMovesWithShift) {
  Focus("abc");
  Key(0, kEnd);
  ExpectState("abc", 3, -1, -1, "end");
  Key(0, kLeft, 1);
  ExpectState("abc", 2, 2, 3, "shift left");
  Key(0, kLeft, 1);
  ExpectState("abc", 1, 1, 3, "again");
  Key(0, kRight, 1);
  ExpectState("abc", 2, 2, 3, "shift right shrinks");
  Key(0, kHome, 1);
  ExpectState("abc", 0, 0, 3, "shift home");
  Key(0, kLeft);
  ExpectState("abc", 0, -1, -1, "left at the start clears");
  Key(1);
  ExpectState("abc", 3, 0, 3, "select all");
  Key(0, kRight);
  ExpectState("abc", 3, -1, -1, "right at the end clears");
  EXPECT_EQ(g_changes, 0);
}

TEST_F(TextEditTest, KeysEditAndCommit) {
  struct Case {
    const char* what;
    const char* text;
    int32_t cursor;
    uint32_t character, virtualKey;
    const char* paste;
    int32_t maxLength, maxLines;
    const char* characterMap;
    const char* after;
    int32_t cursorAfter, changes, consumed;
  } cases[] = {
      {"backspace", "abc", 2, 8, 0, "", -1, -1, "", "ac", 1, 1, 1},
      {"backspace at 0", "abc", 0, 8, 0, "", -1, -1, "", "abc", 0, 0, 1},
      {"delete", "abc", 1, 0, kDel, "", -1, -1, "", "ac", 1, 1, 1},
      {"delete at the end", "abc", 3, 0, kDel, "", -1, -1, "", "abc", 3, 0, 1},
      {"paste", "ac", 1, 22, 0, "xyz", -1, -1, "", "axyzc", 4, 1, 1},
      {"paste up to MaxLength", "abc", 3, 22, 0, "defgh", 5, -1, "", "abcde", 5, 1, 1},
      {"enter with MaxLines 2 full", "a\nb\nc", 5, 13, 0, "", -1, 2, "", "a\nb\nc", 5, 1, 1},
      {"enter inserts", "ab", 1, 13, 0, "", -1, 0, "", "a\nb", 2, 1, 1},
      {"enter ends the editing", "ab", 1, 13, 0, "", -1, -1, "", "ab", -1, 0, 0},
      {"letters outside the map", "12", 2, 'a', 0, "", -1, -1, "0123456789", "12", 2, 0, 0},
      {"digits in the map", "12", 2, '3', 0, "", -1, -1, "0123456789", "123", 3, 1, 1},
      {"DEL is not typed", "12", 2, 127, 0, "", -1, -1, "", "12", 2, 0, 0},
      {"typing at MaxLength still commits", "abc", 3, 'd', 0, "", 3, -1, "", "abc", 3, 1, 1},
  };
  for (const Case& c : cases) {
    t->SetText(c.text);
    t->m_cursorPos = c.cursor;
    t->m_selectionStart = t->m_selectionEnd = -1;
    t->m_maxLength = c.maxLength;
    t->m_maxLines = c.maxLines;
    t->m_characterMap = c.characterMap;
    g_changes = 0;
    const int32_t consumed = Key(c.character, c.virtualKey, 0, c.paste);
    EXPECT_EQ(Text(), c.after) << c.what;
    EXPECT_EQ(t->m_cursorPos, c.cursorAfter) << c.what;
    EXPECT_EQ(g_changes, c.changes) << c.what;
    EXPECT_EQ(consumed, c.consumed) << c.what;
  }
}

TEST_F(TextEditTest, CopyCutAndPasteThroughTheRecord) {
  Focus("");
  Type("abc");
  Key(0, kLeft);
  Key(0, kLeft, 1);
  Key(3);
  EXPECT_EQ(m_clip, "b");
  Key(22, 0, 0, "xyz");
  ExpectState("axyzc", 4, -1, -1, "pasted over the selection");
  EXPECT_EQ(g_changes, 4);
  Key(1);
  Key(24);
  EXPECT_EQ(m_clip, "axyzc");
  ExpectState("", 0, -1, -1, "cut");
}

TEST_F(TextEditTest, StoredPositionsAreBroughtInside) {
  t->SetText("abc");
  t->m_cursorPos = 100;  // a plain store
  Type("d");
  ExpectState("abcd", 4, -1, -1, "typed at the end");
  t->m_selectionStart = 2;
  t->m_selectionEnd = 1000;
  Key(8);
  ExpectState("abc", 3, -1, -1, "a broken selection is dropped");
}

TEST_F(TextEditTest, TextsThatAreNotEditableOnlyMoveAndCopy) {
  t->SetEditable(false);
  t->SetText("abc");
  t->m_cursorPos = 3;
  for (uint32_t c : {uint32_t('x'), 8u, 13u, 22u, 24u}) EXPECT_EQ(Key(c, 0, 0, "q"), 0) << c;
  EXPECT_EQ(Key(0, kDel), 0);
  Key(0, kLeft);
  Key(0, kLeft, 1);
  EXPECT_EQ(Key(3), 1);
  EXPECT_EQ(m_clip, "b");
  ExpectState("abc", 1, 1, 2, "moved and copied");
  EXPECT_EQ(g_changes, 0);
}

}  // namespace
}  // namespace PM::Test
