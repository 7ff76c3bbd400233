#pragma once

#include <QObject>

class QLineEdit;

namespace zorvane::ui {

// Integer boxes take only digits and "-" when typed and, on losing the focus,
// show the 32-bit integer their text reads as ("0" shown empty). Decimal boxes
// also take "." and show the "%.13g" form of their number.
class InputMode final : public QObject
{
    Q_OBJECT

public:
    enum Kind
    {
        Integer,
        Decimal
    };

    static void install(QLineEdit* box, Kind kind);

    // The rewrite a box of this kind applies to its text when it loses focus.
    static QString normalised(const QString& text, Kind kind);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    InputMode(QLineEdit* box, Kind kind);
    Kind m_kind;
};

} // namespace zorvane::ui
