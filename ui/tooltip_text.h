#pragma once

#include <QString>

namespace zorvane::ui {

// A tooltip that shows text exactly as given. Qt guesses whether a tooltip is
// markup, and names and tags from a shop page may hold "<b>" once decoded:
// escaped, they are shown as written. Line breaks and runs of spaces stay; an
// empty text stays empty (no tooltip).
QString plainToolTip(const QString& text);

} // namespace zorvane::ui
