#include "ui/settings_binding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "settings/settings_file.h"

namespace zorvane::ui {

namespace {

// Controls of one kind: those whose name starts with the kind and "_". Only
// the window's own: its dialogs keep their inputs elsewhere.
template <typename T> QList<T*> controlsOfKind(QWidget* window, std::string_view kind)
{
    QList<T*> found;
    const QString prefix = QString::fromUtf8(kind.data(), static_cast<int>(kind.size())) + u'_';
    for (T* w : window->findChildren<T*>()) {
        if (w->objectName().startsWith(prefix) && w->window() == window)
            found.push_back(w);
    }
    return found;
}

std::string nameOf(const QObject* o)
{
    return o->objectName().toStdString();
}

// Edit boxes: single- and multi-line. Multi-line boxes show LF; the settings
// and the requests use CR LF.
QList<QWidget*> editBoxes(QWidget* window)
{
    QList<QWidget*> boxes;
    for (QWidget* w : controlsOfKind<QWidget>(window, kEditBoxSection)) {
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w))
            boxes.push_back(w);
    }
    return boxes;
}

std::string editTextOf(QWidget* w)
{
    if (auto* line = qobject_cast<QLineEdit*>(w))
        return line->text().toStdString();
    return static_cast<QPlainTextEdit*>(w)
        ->toPlainText()
        .replace(QStringLiteral("\n"), QStringLiteral("\r\n"))
        .toStdString();
}

void setEditText(QWidget* w, const std::string& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(w))
        line->setText(QString::fromStdString(text));
    else
        static_cast<QPlainTextEdit*>(w)->setPlainText(
            QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

QDateTime toQt(const DateTime& d)
{
    return QDateTime(QDate(d.year, d.month, d.day), QTime(d.hour, d.minute, d.second));
}

DateTime fromQt(const QDateTime& q)
{
    return {q.date().year(), q.date().month(),  q.date().day(),
            q.time().hour(), q.time().minute(), q.time().second()};
}

void applyCombo(QComboBox* box, const ComboState& state)
{
    box->clear();
    for (const auto& [text, data] : state.items)
        box->addItem(QString::fromStdString(text), QVariant::fromValue(data));
    box->setCurrentIndex(state.currentIndex);
    if (box->isEditable())
        box->setEditText(QString::fromStdString(state.editText));
}

ComboState comboState(const QComboBox* box)
{
    ComboState state;
    for (int i = 0; i < box->count(); ++i)
        state.items.emplace_back(box->itemText(i).toStdString(), box->itemData(i).toLongLong());
    state.currentIndex = box->currentIndex();
    state.editText = box->currentText().toStdString();
    return state;
}

} // namespace

void loadSettings(QWidget* window, const IniFile& ini)
{
    for (QWidget* w : editBoxes(window)) {
        if (auto text = loadEditBox(ini, nameOf(w)))
            setEditText(w, *text);
    }
    for (QCheckBox* box : controlsOfKind<QCheckBox>(window, kCheckBoxSection)) {
        if (auto ticked = loadCheckBox(ini, nameOf(box)))
            box->setChecked(*ticked);
    }
    for (QRadioButton* radio : controlsOfKind<QRadioButton>(window, kRadioButtonSection)) {
        if (auto selected = loadRadioButton(ini, nameOf(radio)))
            radio->setChecked(*selected);
    }
    for (QComboBox* box : controlsOfKind<QComboBox>(window, kComboBoxSection)) {
        if (auto combo = loadComboBox(ini, nameOf(box)))
            applyCombo(box, *combo);
    }
    for (QDateTimeEdit* box : controlsOfKind<QDateTimeEdit>(window, kDateBoxSection))
        box->setDateTime(toQt(loadDateBox(ini, nameOf(box))));
}

void saveSettings(QWidget* window, IniFile& ini)
{
    for (QWidget* w : editBoxes(window))
        saveEditBox(ini, nameOf(w), editTextOf(w));
    for (QCheckBox* box : controlsOfKind<QCheckBox>(window, kCheckBoxSection))
        saveCheckBox(ini, nameOf(box), box->isChecked());
    for (QRadioButton* radio : controlsOfKind<QRadioButton>(window, kRadioButtonSection))
        saveRadioButton(ini, nameOf(radio), radio->isChecked());
    for (QComboBox* box : controlsOfKind<QComboBox>(window, kComboBoxSection))
        saveComboBox(ini, nameOf(box), comboState(box));
    for (QDateTimeEdit* box : controlsOfKind<QDateTimeEdit>(window, kDateBoxSection))
        saveDateBox(ini, nameOf(box), fromQt(box->dateTime()));
}

} // namespace zorvane::ui
