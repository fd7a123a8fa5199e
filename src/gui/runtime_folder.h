#pragma once
// Qt keeps per-user runtime files in the folder XDG_RUNTIME_DIR names; headless machines and
// offscreen runs often have none, and Qt then says so on every start. The program gives itself a
// private one instead, so its output carries only what matters.

namespace gui {

// Before the application object is made: when XDG_RUNTIME_DIR is not set, makes (or reuses) a
// folder only this user may enter and names it there. False when none could be made.
bool EnsureRuntimeFolder();

}  // namespace gui
