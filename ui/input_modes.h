#pragma once

#include <QValidator>

class QLineEdit;

namespace zorvane::ui {

// Integer boxes take only digits and "-", decimal boxes also "."; the rule
// holds for every way text arrives (keys, paste, drop, input methods), and
// full-width digits and "．" become their ASCII forms on the way in. An
// integer box refuses a value outside the 32-bit range, a decimal (price) box
// one beyond kLargestPrice either way. On losing the focus a box shows the
// number its text reads as ("0" shown empty): the integer, or the "%.13g"
// form of the decimal, held within the same ranges.
class InputMode final : public QValidator
{
    Q_OBJECT

public:
    enum class Kind
    {
        Integer,
        Decimal
    };

    static void install(QLineEdit* box, Kind kind);

    // The rewrite a box of this kind applies to its text when it loses focus.
    static QString normalised(const QString& text, Kind kind);

    State validate(QString& input, int& pos) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    InputMode(QLineEdit* box, Kind kind);
    Kind m_kind;
};

} // namespace zorvane::ui
