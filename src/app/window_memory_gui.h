#pragma once
// The main window's size, position, maximised state and tool-bar state, kept for the user
// between runs (see common/user_settings.h).
class QMainWindow;

namespace WindowMemory {

// Gives the window its remembered geometry and state; false when there is none (or
// remembering is off), and the window is left as it was.
bool restore(QMainWindow &window);
void save(const QMainWindow &window);

} // namespace WindowMemory
