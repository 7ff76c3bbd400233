#include "ui/input_modes.h"

#include <QEvent>
#include <QLineEdit>

#include <algorithm>
#include <climits>
#include <cmath>

#include "base/numbers.h"

namespace zorvane::ui {

namespace {

constexpr char16_t kFullWidthZero = u'\uFF10';
constexpr char16_t kFullWidthNine = u'\uFF19';
constexpr char16_t kFullWidthPoint = u'\uFF0E';

// The ASCII form of a full-width digit or point; other characters as they are.
QChar asciiForm(QChar c)
{
    if (c.unicode() >= kFullWidthZero && c.unicode() <= kFullWidthNine)
        return QChar(u'0' + (c.unicode() - kFullWidthZero));
    if (c.unicode() == kFullWidthPoint)
        return QChar(u'.');
    return c;
}

} // namespace

InputMode::InputMode(QLineEdit* box, Kind kind) : QValidator(box), m_kind(kind) {}

void InputMode::install(QLineEdit* box, Kind kind)
{
    auto* mode = new InputMode(box, kind);
    box->setValidator(mode);
    box->installEventFilter(mode);
}

QString InputMode::normalised(const QString& text, Kind kind)
{
    const std::string utf8 = text.toStdString();
    std::string result;
    if (kind == Kind::Integer) {
        // Text the program set itself (a settings file) is not validated.
        long long value = std::clamp<long long>(parseInteger(utf8), INT_MIN, INT_MAX);
        result = std::to_string(value);
    } else {
        // A price has a limit too: many digits would read as infinity, shown "inf".
        result = formatNumber(std::clamp(parseNumber(utf8), -kLargestPrice, kLargestPrice));
    }
    if (result == "0")
        result.clear();
    return QString::fromStdString(result);
}

QValidator::State InputMode::validate(QString& input, int&) const
{
    for (QChar& c : input) {
        c = asciiForm(c);
        const bool allowed = (c >= u'0' && c <= u'9') || c == u'-' || (m_kind == Kind::Decimal && c == u'.');
        if (!allowed)
            return Invalid;
    }
    if (m_kind == Kind::Integer) {
        const long long value = parseInteger(input.toStdString());
        if (value > INT_MAX || value < INT_MIN)
            return Invalid;
    } else if (!(std::abs(parseNumber(input.toStdString())) <= kLargestPrice)) {
        return Invalid;
    }
    return Acceptable;
}

bool InputMode::eventFilter(QObject* watched, QEvent* event)
{
    // A box being destroyed loses its focus too, when it is no longer a
    // QLineEdit: the cast then finds none.
    auto* box = event->type() == QEvent::FocusOut ? qobject_cast<QLineEdit*>(watched) : nullptr;
    if (box) {
        const QString rewritten = normalised(box->text(), m_kind);
        if (rewritten != box->text())
            box->setText(rewritten);
    }
    return QValidator::eventFilter(watched, event);
}

} // namespace zorvane::ui
