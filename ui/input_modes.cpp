#include "ui/input_modes.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <climits>

#include "core/numbers.h"

namespace zorvane::ui {

InputMode::InputMode(QLineEdit* box, Kind kind) : QObject(box), m_kind(kind) {}

void InputMode::install(QLineEdit* box, Kind kind)
{
    box->installEventFilter(new InputMode(box, kind));
}

QString InputMode::normalised(const QString& text, Kind kind)
{
    const std::string utf8 = text.toStdString();
    std::string result;
    if (kind == Integer) {
        long long value = std::clamp<long long>(parseInteger(utf8), INT_MIN, INT_MAX);
        result = std::to_string(value);
    } else {
        result = formatNumber(parseNumber(utf8));
    }
    if (result == "0")
        result.clear();
    return QString::fromStdString(result);
}

bool InputMode::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = static_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        const bool refused = std::any_of(typed.begin(), typed.end(), [&](QChar c) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                return false; // control characters such as backspace pass
            if (c.isDigit() && c.unicode() < 0x80)
                return false;
            return !(c == u'-' || (m_kind == Decimal && c == u'.'));
        });
        if (refused)
            return true;
    } else if (event->type() == QEvent::FocusOut) {
        const QString rewritten = normalised(box->text(), m_kind);
        if (rewritten != box->text())
            box->setText(rewritten);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zorvane::ui
