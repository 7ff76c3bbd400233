#pragma once

#include <string>

class QWidget;

namespace zorvane::ui {

// Fills the window's input controls from the settings file, by control kind
// (the prefix of the control's name) with the name as the key. Empty values
// leave a control as it is. False when the file's encoding was not
// recognised (it is then read as GBK).
bool loadSettings(QWidget* window, const std::string& path);

// Writes the controls back, keeping every other section and key of the file.
// The log box is never stored. False when the file could not be written.
bool saveSettings(QWidget* window, const std::string& path);

} // namespace zorvane::ui
