// The system clipboard of an X11 desktop for a host that feeds text widgets: the CLIPBOARD selection,
// owned after a copy and served to other clients on request, and read from its owner before a paste.
// Texts on our side are Windows-1252; the selection carries UTF-8 (or Latin-1 for STRING).
#pragma once

#include <string>

struct _XDisplay;

namespace PM {

class X11Clipboard {
 public:
  // Opens its own display connection and an unmapped window; without a display every call does nothing.
  X11Clipboard();
  ~X11Clipboard();
  X11Clipboard(const X11Clipboard&) = delete;
  X11Clipboard& operator=(const X11Clipboard&) = delete;

  bool Connected() const { return m_display != nullptr; }
  // Takes the selection with `text` (Windows-1252); false when the server gave it to no one.
  bool Offer(const std::string& text);
  // Answers the requests of other clients (TARGETS, UTF8_STRING, STRING) and notes a lost selection.
  // Call once a frame.
  void Pump();
  // The clipboard's text as Windows-1252: our own while we own the selection, else the owner's
  // UTF8_STRING, waiting at most `timeoutMs`. Empty (with a Warn for an INCR transfer) when none came.
  std::string Fetch(int timeoutMs = 200);
  // Do we own the selection (as far as the events pumped so far tell).
  bool Owns() const { return m_owned; }

 private:
  void Handle(void* event);

  ::_XDisplay* m_display = nullptr;
  unsigned long m_window = 0;
  unsigned long m_clipboard = 0, m_targets = 0, m_utf8 = 0, m_string = 0, m_incr = 0, m_property = 0;
  bool m_owned = false;
  std::string m_text;  // what we offer, Windows-1252
};

// Windows-1252 as UTF-8, and back; characters without a counterpart (and broken sequences) are dropped.
std::string Utf8FromCp1252(const std::string& text);
std::string Cp1252FromUtf8(const std::string& text);

}  // namespace PM
