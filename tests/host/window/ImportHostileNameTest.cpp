// A model whose file name (and whose material and texture names) would drive a terminal: an OSC title
// sequence, a screen clear, a right-to-left override, a raw C1 CSI byte. pm-run --view prints its summary,
// --list lines, warnings, progress line and window title with all of them escaped; the title is UTF-8 in
// _NET_WM_NAME with a Latin-1 WM_NAME beside it.
#include <pty.h>
#include <sys/stat.h>

#include <cstdio>
#include <regex>

#include "PmRunWindow.h"
#include "platform/InertText.h"
// After PmRunWindow.h, which includes Xlib last.
#include <X11/Xatom.h>

namespace PM::Test {
namespace {

// The name's bytes: ESC ] 0 ; ... BEL, ESC [ 2 J, U+202E, a lone 0x9B, and a u with diaeresis in UTF-8.
const std::string kName =
    "\x1b]0;pwned\x07\x1b[2J\xe2\x80\xae"
    "cba.\x9b"
    "31m\xc3\xbc.obj";
const std::string kInertName = "\\x1b]0;pwned\\x07\\x1b[2J\\u202ecba.\\x9b31m\xc3\xbc.obj";

// What none of the host's output may hold: the raw sequences of the name, a C1 control in UTF-8 or as a
// byte of no valid sequence, a bidirectional control. On a `terminal` the host's own sequences (the
// progress line's clearing, the log's colours, the terminal's line ends) are left out first.
void ExpectInert(std::string text, const char* what, bool terminal = false) {
  // A terminal ends its lines with "\r\n".
  if (terminal) text = std::regex_replace(text, std::regex("\r\x1b\\[K|\x1b\\[[0-9;]*m|\r(?=\n)"), "");
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    ASSERT_TRUE((c >= 0x20 && c != 0x7f) || c == '\n') << what << ": byte " << int(c) << " at " << i << " of\n" << text;
  }
  EXPECT_EQ(InertText(text), std::regex_replace(text, std::regex("\n"), "\\n")) << what << ":\n" << text;
}

class ImportHostileNameTest : public PmRunWindow {
 protected:
  // The model and its material library, the texture the material names missing.
  std::string WriteModel(const std::string& folder, const std::string& body) {
    mkdir(m_dir.File(folder).c_str(), 0700);
    WriteFile(m_dir.File(folder + "/m.mtl"),
              "newmtl red\x1b[31m\xe2\x80\xae\nKd 1 0 0\nmap_Kd \x1b]0;tex\x07\xc2\x9b.png\n");
    const std::string model = m_dir.File(folder + "/" + kName);
    WriteFile(model, "mtllib m.mtl\nusemtl red\x1b[31m\xe2\x80\xae\n" + body);
    return model;
  }
  // Runs pm-run to its end with standard error on a terminal of its own; what that terminal showed.
  std::string RunOnTerminal(const std::vector<std::string>& args, int& status) {
    int main = -1, side = -1;
    if (openpty(&main, &side, nullptr, nullptr, nullptr) != 0) return "openpty failed";
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&files, side, 2);
    posix_spawn_file_actions_addclose(&files, main);
    std::vector<char*> argv{const_cast<char*>(PM_PM_RUN)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, PM_PM_RUN, &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    close(side);
    std::string said;
    char buffer[4096];
    for (ssize_t n; spawned == 0 && (n = read(main, buffer, sizeof buffer)) > 0;) said.append(buffer, size_t(n));
    close(main);
    status = -1;
    if (spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) status = WEXITSTATUS(status);
    return said;
  }
  // A window property's bytes, empty when the window has none of that type.
  std::string Property(Window window, const char* name, Atom type) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string value;
    if (XGetWindowProperty(m_x, window, XInternAtom(m_x, name, False), 0, 4096, False, type, &actual, &format, &count,
                           &after, &data) == Success &&
        data && actual == type && format == 8)
      value.assign(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return value;
  }
  // The top-level window whose _NET_WM_NAME is `title` once it is shown (at most 30 s), or 0.
  Window FindByUtf8Title(const std::string& title) {
    const Atom utf8 = XInternAtom(m_x, "UTF8_STRING", False);
    for (int tries = 0; tries < 300; ++tries) {
      Window root = DefaultRootWindow(m_x), parent = 0, *children = nullptr, found = 0;
      unsigned count = 0;
      if (XQueryTree(m_x, root, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i)
          if (Property(children[i], "_NET_WM_NAME", utf8) == title) found = children[i];
        if (children) XFree(children);
      }
      if (found) return found;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
  }
};

// The summary and --list lines on standard output, the import's warnings on standard error.
TEST_F(ImportHostileNameTest, SummaryListAndWarningsCarryTheNameEscaped) {
  setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
  const std::string model = WriteModel("small", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/1 3/1\n");
  Start({"--view", model, "--list"});
  ASSERT_EQ(Wait(), 0) << Err();
  const std::string out = Out(), err = Err();
  ExpectInert(out, "standard output");
  ExpectInert(err, "standard error");
  const std::string inertPath = m_dir.File("small/" + kInertName);
  EXPECT_EQ(out.rfind(inertPath + ": 2 nodes, 1 geometries, 1 triangles", 0), 0u) << out;
  // The material's and the texture's names as the file gives them, made inert.
  EXPECT_NE(out.find("material \"red\\x1b[31m\\u202e\" texture \"\\x1b]0;tex\\x07\\u009b.png\" not found"),
            std::string::npos)
      << out;
  EXPECT_NE(err.find("Import(\"" + inertPath + "\"): the texture \"\\x1b]0;tex\\x07\\u009b.png\" is missing"),
            std::string::npos)
      << err;
}

// A load of more than a second writes its progress line on a terminal: the name in it is escaped too.
TEST_F(ImportHostileNameTest, TheProgressLineCarriesTheNameEscaped) {
  setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
  std::string terrain;
  constexpr int n = 700;
  char line[96];
  for (int y = 0; y <= n; ++y)
    for (int x = 0; x <= n; ++x) {
      std::snprintf(line, sizeof line, "v %d %d %g\n", x, y, (x * 7 + y * 13) % 17 * 0.1);
      terrain += line;
    }
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      const int a = y * (n + 1) + x + 1;
      std::snprintf(line, sizeof line, "f %d %d %d %d\n", a, a + 1, a + n + 2, a + n + 1);
      terrain += line;
    }
  const std::string model = WriteModel("terrain", terrain);
  int status = -1;
  const std::string shown = RunOnTerminal({"--view", model, "--list"}, status);
  ASSERT_EQ(status, 0) << shown;
  ExpectInert(shown, "the terminal", true);
  EXPECT_NE(shown.find("\r\x1b[KLoading " + m_dir.File("terrain/" + kInertName) + ": the reader reads the file (1 s)"),
            std::string::npos)
      << shown;
}

// The window's title: UTF-8 as a window manager reads it, escaped; WM_NAME its Latin-1 form.
TEST_F(ImportHostileNameTest, TheWindowTitleIsTheUtf8NameEscaped) {
  setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
  const std::string model = WriteModel("window", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  Start({"--view", model, "--window"});
  const std::string title = m_dir.File("window/" + kInertName) + " - pm-run";
  m_window = FindByUtf8Title(title);
  ASSERT_NE(m_window, 0u) << Err();
  std::string latin1 = m_dir.File("window/\\x1b]0;pwned\\x07\\x1b[2J\\u202ecba.\\x9b31m\xfc.obj - pm-run");
  EXPECT_EQ(Property(m_window, "WM_NAME", XA_STRING), latin1);
  Close();
  EXPECT_EQ(Wait(), 0) << Err();
  ExpectInert(Out(), "standard output");
}

}  // namespace
}  // namespace PM::Test
