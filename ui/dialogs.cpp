#include "ui/dialogs.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <QUrl>

#include "base/text.h"

namespace zorvane::ui {

namespace {

bool& capturing()
{
    static bool value = false;
    return value;
}

} // namespace

std::deque<QMessageBox::StandardButton>& Dialogs::messageAnswers()
{
    static std::deque<QMessageBox::StandardButton> answers;
    return answers;
}

std::deque<Dialogs::SaveAnswer>& Dialogs::saveAnswers()
{
    static std::deque<SaveAnswer> answers;
    return answers;
}

std::deque<std::pair<QString, bool>>& Dialogs::choiceAnswers()
{
    static std::deque<std::pair<QString, bool>> answers;
    return answers;
}

std::deque<QString>& Dialogs::openAnswers()
{
    static std::deque<QString> answers;
    return answers;
}

std::deque<Dialogs::Shown>& Dialogs::shownMessages()
{
    static std::deque<Shown> shown;
    return shown;
}

std::deque<QString>& Dialogs::openedAddresses()
{
    static std::deque<QString> opened;
    return opened;
}

void Dialogs::scriptMessageAnswer(QMessageBox::StandardButton answer)
{
    messageAnswers().push_back(answer);
}

void Dialogs::scriptSaveAnswer(const QString& path, const QString& filter)
{
    saveAnswers().push_back({path, filter});
}

void Dialogs::scriptChoiceAnswer(const QString& button, bool ticked)
{
    choiceAnswers().emplace_back(button, ticked);
}

void Dialogs::scriptOpenAnswer(const QString& path)
{
    openAnswers().push_back(path);
}

void Dialogs::captureOpenedAddresses(bool capture)
{
    capturing() = capture;
}

void Dialogs::resetScript()
{
    messageAnswers().clear();
    saveAnswers().clear();
    choiceAnswers().clear();
    openAnswers().clear();
    shownMessages().clear();
    openedAddresses().clear();
}

QMessageBox::StandardButton Dialogs::message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                             const QString& text, QMessageBox::StandardButtons buttons)
{
    shownMessages().push_back({title, text, icon});
    if (!messageAnswers().empty()) {
        auto answer = messageAnswers().front();
        messageAnswers().pop_front();
        return answer;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    // Texts may come from the update answer or the user: never markup.
    box.setTextFormat(Qt::PlainText);
    // A message may carry a command to run or a cause to look up: it can be copied.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool Dialogs::question(QWidget* parent, const QString& title, const QString& text, const QString& accept,
                       const QString& reject)
{
    shownMessages().push_back({title, text, QMessageBox::Question});
    if (!messageAnswers().empty()) {
        auto answer = messageAnswers().front();
        messageAnswers().pop_front();
        return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(accept, QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(reject, QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == yes;
}

Dialogs::Choice Dialogs::choose(QWidget* parent, const QString& title, const QString& text,
                                const QStringList& buttons, const QString& tick)
{
    shownMessages().push_back({title, text, QMessageBox::Question});
    if (!choiceAnswers().empty()) {
        const auto [button, ticked] = choiceAnswers().front();
        choiceAnswers().pop_front();
        return {static_cast<int>(buttons.indexOf(button)), ticked};
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton*> added;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const bool last = i + 1 == buttons.size();
        added.push_back(box.addButton(buttons[i], last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    }
    if (!added.isEmpty())
        box.setDefaultButton(static_cast<QPushButton*>(added.first()));
    if (!tick.isEmpty())
        box.setCheckBox(new QCheckBox(tick, &box));
    box.exec();
    return {static_cast<int>(added.indexOf(box.clickedButton())),
            box.checkBox() && box.checkBox()->isChecked()};
}

QString Dialogs::saveFile(QWidget* parent, const QString& title, const QString& proposed,
                          const QString& filter, const QString& defaultSuffix, QString* chosenFilter)
{
    if (!saveAnswers().empty()) {
        SaveAnswer answer = saveAnswers().front();
        saveAnswers().pop_front();
        if (chosenFilter)
            *chosenFilter =
                answer.filter.isEmpty() ? filter.section(QStringLiteral(";;"), 0, 0) : answer.filter;
        return answer.path;
    }
    QFileDialog dialog(parent, title, proposed, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    // A name typed without an ending takes the chosen filter's ("*.xlsx").
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
        const QRegularExpressionMatch ending =
            QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(chosen);
        if (ending.hasMatch())
            dialog.setDefaultSuffix(ending.captured(1));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (chosenFilter)
        *chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().first();
}

QString Dialogs::openFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    if (!openAnswers().empty()) {
        QString answer = openAnswers().front();
        openAnswers().pop_front();
        return answer;
    }
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

bool Dialogs::openWebAddress(const QString& address)
{
    if (!isWebAddress(address.toStdString()))
        return false;
    QUrl url(address, QUrl::TolerantMode);
    if (!url.isValid())
        return false;
    if (capturing()) {
        openedAddresses().push_back(address);
        return true;
    }
    return QDesktopServices::openUrl(url);
}

void Dialogs::installChineseTranslations()
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_zh_CN", "qt_zh_CN"}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QString::fromLatin1(name), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
        delete translator;
    }
}

} // namespace zorvane::ui
