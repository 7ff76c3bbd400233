#pragma once

#include <QMessageBox>
#include <QString>

#include <deque>
#include <functional>
#include <string>

class QWidget;

namespace zorvane::ui {

// Every message box, save dialog and browser hand-off of the window goes
// through here, so tests can answer them in advance and see what was asked.
class Dialogs final
{
public:
    struct Shown
    {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };

    static QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                               const QString& text,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok);

    // A yes-or-no question with the two buttons captioned; true for accept.
    // A scripted answer of Ok or Yes counts as accept.
    static bool question(QWidget* parent, const QString& title, const QString& text, const QString& accept,
                         const QString& reject);

    // Returns the chosen path, or "" when cancelled. proposed is a folder or
    // a file path to start from.
    static QString saveFile(QWidget* parent, const QString& title, const QString& proposed,
                            const QString& filter, const QString& defaultSuffix);

    // Returns the chosen existing file, or "" when cancelled.
    static QString openFile(QWidget* parent, const QString& title, const QString& folder,
                            const QString& filter);

    // Opens http and https addresses in the default browser; anything else is refused.
    // Addresses are read tolerantly, as a browser's address bar does: spaces
    // and characters such as | { } " ^ are escaped instead of refused.
    static bool openWebAddress(const QString& address);

    // Loads Qt's own Chinese texts (buttons of message boxes, file dialogs).
    static void installChineseTranslations();

    // Test hooks: scripted answers are used (first in, first out) instead of
    // showing anything; shown boxes and opened addresses are recorded.
    static void scriptMessageAnswer(QMessageBox::StandardButton answer);
    static void scriptSaveAnswer(const QString& path);
    static void scriptOpenAnswer(const QString& path);
    static void captureOpenedAddresses(bool capture);
    static std::deque<Shown>& shownMessages();
    static std::deque<QString>& openedAddresses();
    static void resetScript();

private:
    static std::deque<QMessageBox::StandardButton>& messageAnswers();
    static std::deque<QString>& saveAnswers();
    static std::deque<QString>& openAnswers();
};

} // namespace zorvane::ui
