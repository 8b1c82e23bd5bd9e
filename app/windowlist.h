#pragma once
// The one list of the program's windows. A window that exists here can be loaded by its
// name; a button that leads to a window not listed stays disabled.

namespace kv {

void registerAllWindows();

}  // namespace kv
