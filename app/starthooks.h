#pragma once
// What the program's start hands down to the layers beneath it, which may not reach up:
// the opening of a cookbook makes the print-settings file through the printing. main
// installs it before the start; so does every test and tool that opens a cookbook as the
// program does.

namespace kv {

void installStartHooks();

}  // namespace kv
