#include "console/line_editor.h"

#include <cstdlib>

#if QUIBC_LINE_EDITOR
#include <fcntl.h>
#include <histedit.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "console/interrupt.h"
#endif

std::string HistoryFilePath() {
  // Relative paths in XDG_STATE_HOME are invalid and ignored.
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string dir;
  if (state != nullptr && state[0] == '/') {
    dir = state;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return std::string();
    dir = std::string(home) + "/.local/state";
  }
  return dir + "/quibc/history";
}

#if !QUIBC_LINE_EDITOR

bool LineEditorAvailable() { return false; }
bool LineEditorOpen(const char*) { return false; }
EditorRead LineEditorRead(std::string&) { return EditorRead::End; }
void LineEditorRemember(const std::string&) {}
void LineEditorClose() {}

#else

namespace {

// What a Ctrl-C during el_gets asked for.
enum class EditorInterrupt { None, Discard, End };

struct Editor {
  EditLine* el = nullptr;
  History* history = nullptr;
  std::string historyPath;
  bool historyWarned = false;
  EditorInterrupt interrupt = EditorInterrupt::None;
  std::mbstate_t shift{};
};
Editor editor;

char* PromptText(EditLine*) {
  static char prompt[] = "> ";
  return prompt;
}

// libedit's character reader: bytes of standard input decoded in the
// locale's encoding. Invalid bytes and NULs are dropped.
int EditorReadChar(EditLine* el, wchar_t* out) {
  for (;;) {
    unsigned char byte = 0;
    switch (ReadInputByte(byte)) {
      case InputByte::End:
        *out = 0;
        return 0;
      case InputByte::Resized:
        TakeResize();
        el_resize(el);
        continue;
      case InputByte::Interrupted: {
        TakeInterrupt();
        if (AbsorbInterrupt()) continue;
        const LineInfo* info = el_line(el);
        editor.interrupt = info->lastchar == info->buffer ? EditorInterrupt::End
                                                          : EditorInterrupt::Discard;
        *out = 0;
        return -1;
      }
      case InputByte::Byte:
        break;
    }
    wchar_t wide = 0;
    const char c = static_cast<char>(byte);
    const size_t n = std::mbrtowc(&wide, &c, 1, &editor.shift);
    if (n == static_cast<size_t>(-2)) continue;  // more bytes to come
    if (n == static_cast<size_t>(-1)) {
      editor.shift = std::mbstate_t{};
      continue;
    }
    if (wide == 0) continue;
    *out = wide;
    return 1;
  }
}

void WarnHistory(const char* what) {
  if (editor.historyWarned) return;
  editor.historyWarned = true;
  std::fprintf(stderr, "quibc: cannot %s the history file %s: %s\n", what,
               editor.historyPath.c_str(), std::strerror(errno));
}

// Creates the directories of `path` that are missing (like mkdir -p).
bool MakeParentDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string dir = path.substr(0, slash);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Writes the history to a new file beside the old one, then renames it over
// the old one: the file is always either the old history or the new one.
bool SaveHistory() {
  if (!MakeParentDirectories(editor.historyPath)) return false;
  const std::string temp =
      editor.historyPath + ".new." + std::to_string(static_cast<long long>(getpid()));
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  FILE* file = fdopen(fd, "w");
  if (file == nullptr) {
    close(fd);
    unlink(temp.c_str());
    return false;
  }
  HistEvent event;
  bool ok = history(editor.history, &event, H_SAVE_FP, file) >= 0;
  ok = std::fflush(file) == 0 && ok;
  ok = fsync(fd) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (ok) ok = std::rename(temp.c_str(), editor.historyPath.c_str()) == 0;
  if (!ok) {
    const int saved = errno;
    unlink(temp.c_str());
    errno = saved;
  }
  return ok;
}

}  // namespace

bool LineEditorAvailable() { return true; }

bool LineEditorOpen(const char* programName) {
  std::setlocale(LC_CTYPE, "");
  editor.el = el_init(programName, stdin, stdout, stderr);
  editor.history = history_init();
  if (editor.el == nullptr || editor.history == nullptr) {
    LineEditorClose();
    return false;
  }
  HistEvent event;
  history(editor.history, &event, H_SETSIZE, kHistoryEntries);
  history(editor.history, &event, H_SETUNIQUE, 1);
  editor.historyPath = HistoryFilePath();
  if (!editor.historyPath.empty()) {
    // A missing file is a first session; anything else unreadable is said
    // once, and the session goes on without the old lines.
    if (history(editor.history, &event, H_LOAD, editor.historyPath.c_str()) < 0 &&
        access(editor.historyPath.c_str(), F_OK) == 0) {
      WarnHistory("read");
    }
  }
  el_set(editor.el, EL_EDITOR, "emacs");
  el_set(editor.el, EL_PROMPT, PromptText);
  el_set(editor.el, EL_HIST, history, editor.history);
  el_set(editor.el, EL_GETCFN, EditorReadChar);
  el_source(editor.el, nullptr);  // the user's ~/.editrc
  return true;
}

EditorRead LineEditorRead(std::string& line) {
  for (;;) {
    std::fflush(stdout);
    editor.interrupt = EditorInterrupt::None;
    int count = 0;
    const char* text = el_gets(editor.el, &count);
    if (text != nullptr && count > 0) {
      line.assign(text, static_cast<size_t>(count));
      if (!line.empty() && line.back() == '\n') line.pop_back();
      return EditorRead::Line;
    }
    if (editor.interrupt == EditorInterrupt::Discard) {
      // The typed line is dropped; a fresh prompt on the next line.
      std::fputs("^C\n", stdout);
      StartInterruptGrace();
      continue;
    }
    // Ctrl-D, Ctrl-C on an empty line, or the end of the input.
    std::fputs("\n", stdout);
    std::fflush(stdout);
    return EditorRead::End;
  }
}

void LineEditorRemember(const std::string& line) {
  if (line.size() > kMaxHistoryLineBytes) return;
  if (line.find_first_not_of(" \t\r") == std::string::npos) return;
  HistEvent event;
  history(editor.history, &event, H_ENTER, line.c_str());
  if (!editor.historyPath.empty() && !SaveHistory()) WarnHistory("write");
}

void LineEditorClose() {
  if (editor.el != nullptr) el_end(editor.el);
  if (editor.history != nullptr) history_end(editor.history);
  editor.el = nullptr;
  editor.history = nullptr;
}

#endif
