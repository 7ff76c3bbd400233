#pragma once

class QWidget;

namespace zorvane {
class IniFile;
}

namespace zorvane::ui {

// Fills the window's input controls from the settings file, by control kind
// (the prefix of the control's name) with the name as the key. Empty values
// leave a control as it is.
void loadSettings(QWidget* window, const IniFile& ini);

// Writes the controls into the document, keeping every other section and
// key. The log box is never stored.
void saveSettings(QWidget* window, IniFile& ini);

} // namespace zorvane::ui
