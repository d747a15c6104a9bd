// Runs tests/storage/http_test_server.py as a child process for the length of a test: the Python
// peer the HTTP client is checked against. Start waits a bounded time for the port; the destructor
// closes the child's input (its signal to end) and reaps it, killing it if it lingers.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

extern char** environ;

namespace PM::Test {

class HttpTestServer {
 public:
  HttpTestServer() = default;
  ~HttpTestServer() { Stop(); }
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  // True once the server has told its port, within timeoutMs.
  bool Start(int timeoutMs = 10000) {
    const std::string script = PM_SOURCE_DIR "/tests/storage/http_test_server.py";
    int in[2], out[2];
    if (pipe(in) != 0) return false;
    if (pipe(out) != 0) {
      close(in[0]);
      close(in[1]);
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>("python3"), const_cast<char*>(script.c_str()), nullptr};
    int r = posix_spawnp(&m_pid, "python3", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    m_input = in[1];
    m_output = out[0];
    if (r != 0) {
      m_pid = -1;
      return false;
    }
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (line.find('\n') == std::string::npos) {
      int left = int(
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
      pollfd p{m_output, POLLIN, 0};
      if (left <= 0 || poll(&p, 1, left) <= 0) return false;
      char buf[64];
      ssize_t n = read(m_output, buf, sizeof buf);
      if (n <= 0) return false;
      line.append(buf, size_t(n));
    }
    m_port = std::atoi(line.c_str());
    return m_port > 0;
  }

  void Stop() {
    if (m_input >= 0) close(m_input);
    if (m_output >= 0) close(m_output);
    m_input = m_output = -1;
    if (m_pid <= 0) return;
    for (int i = 0; i < 100; ++i) {  // up to 5 s for a clean exit
      if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        m_pid = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }

  int Port() const { return m_port; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }

 private:
  pid_t m_pid = -1;
  int m_input = -1;
  int m_output = -1;
  int m_port = 0;
};

}  // namespace PM::Test
