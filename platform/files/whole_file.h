// Files read by the game and its tools, guarded: opened without waiting (a FIFO that nobody
// writes, a link to a device or a terminal would otherwise hold the program for ever), read
// only when they are a regular file, and refused beyond a size the caller gives. The reasons
// read "cannot read FILE: <why>" in the caller's message:
//   the system's text (Permission denied, ...), "it is a folder", "it is not a regular file",
//   "it holds N bytes, more than KIND does (M at most)", "it grows beyond M bytes".
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Opens `path` to read it: a descriptor (close-on-exec, reads wait again as usual), or -1
// with `why` empty when nothing is at the path and else saying why not. `kind` names what
// such a file is in the size's reason ("a settings file", "a demo").
int OpenFileToRead(const std::string& path, int64_t mostBytes, std::string_view kind, std::string& why);

// The whole file in `text`, at most `mostBytes` of it; false when there is none (`why` empty)
// or it cannot be read (`why` says why), as OpenFileToRead.
bool ReadFileWhole(const std::string& path, int64_t mostBytes, std::string_view kind, std::string& text,
                   std::string& why);
