#include "platform/ui/widgethost.h"

#include "platform/print/printdialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <utility>
#include <vector>

namespace kv::ui {

namespace {

constexpr int buttonSetMask = 0x0F;
constexpr int iconMask = 0x70;

// In the order the program places them; the first is the default button.
std::vector<Answer> answersOf(int style)
{
    switch (style & buttonSetMask) {
    case OkCancel:
        return {Answer::Ok, Answer::Cancel};
    case AbortRetryIgnore:
        return {Answer::Abort, Answer::Retry, Answer::Ignore};
    case YesNoCancel:
        return {Answer::Yes, Answer::No, Answer::Cancel};
    case YesNo:
        return {Answer::Yes, Answer::No};
    case RetryCancel:
        return {Answer::Retry, Answer::Cancel};
    default:
        return {Answer::Ok};
    }
}

QMessageBox::StandardButton standardButtonOf(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Abort:
        return QMessageBox::Abort;
    case Answer::Retry:
        return QMessageBox::Retry;
    case Answer::Ignore:
        return QMessageBox::Ignore;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & iconMask) {
    case Critical:
        return QMessageBox::Critical;
    case Question:
        return QMessageBox::Question;
    case Exclamation:
        return QMessageBox::Warning;
    case Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// The answer of a box closed without a button: the one that leaves things undone.
Answer closedAnswer(const std::vector<Answer>& answers)
{
    for (Answer a : {Answer::Cancel, Answer::No, Answer::Abort})
        if (std::find(answers.begin(), answers.end(), a) != answers.end())
            return a;
    return answers.front();
}

QWidget* ownerWindow()
{
    return QApplication::activeWindow();
}

}  // namespace

QString WidgetDialogHost::windowTitle(const QString& title)
{
    return title.trimmed().isEmpty() ? QStringLiteral("Kelvor") : title;
}

QString WidgetDialogHost::buttonText(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QStringLiteral("OK");
    case Answer::Cancel:
        return QStringLiteral("Abbrechen");
    case Answer::Abort:
        return QStringLiteral("Beenden");
    case Answer::Retry:
        return QStringLiteral("Wiederholen");
    case Answer::Ignore:
        return QStringLiteral("Ignorieren");
    case Answer::Yes:
        return QStringLiteral("Ja");
    case Answer::No:
        return QStringLiteral("Nein");
    }
    return {};
}

Answer WidgetDialogHost::msgbox(const QString& text, int style, const QString& title)
{
    QMessageBox box(ownerWindow());
    box.setWindowTitle(windowTitle(title));
    // Recipe titles and error texts may hold '<'; never let them turn into markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(text));
    box.setIcon(iconOf(style));

    const std::vector<Answer> answers = answersOf(style);
    std::vector<std::pair<QAbstractButton*, Answer>> buttons;
    for (Answer a : answers) {
        QPushButton* b = box.addButton(standardButtonOf(a));
        b->setText(buttonText(a));
        buttons.emplace_back(b, a);
    }
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front().first));
    for (const auto& [b, a] : buttons)
        if (a == closedAnswer(answers))
            box.setEscapeButton(b);

    box.exec();
    for (const auto& [b, a] : buttons)
        if (box.clickedButton() == b)
            return a;
    return closedAnswer(answers);
}

std::optional<QString> WidgetDialogHost::inputbox(const QString& prompt, const QString& title,
                                                  const QString& defaultText)
{
    QInputDialog dlg(ownerWindow());
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setWindowTitle(windowTitle(title));
    dlg.setLabelText(displayText(prompt));
    dlg.setTextValue(defaultText);
    dlg.setOkButtonText(buttonText(Answer::Ok));
    dlg.setCancelButtonText(buttonText(Answer::Cancel));
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.textValue();
}

QString WidgetDialogHost::openFileName(const QString& caption, const QString& startFolder,
                                       const QString& filter)
{
    return QFileDialog::getOpenFileName(ownerWindow(), caption, startFolder, filter);
}

QString WidgetDialogHost::saveFileName(const QString& caption, const QString& startFolder,
                                       const QString& filter, OverwriteQuestion overwrite)
{
    const QFileDialog::Options options =
        overwrite == OverwriteQuestion::Skip ? QFileDialog::DontConfirmOverwrite : QFileDialog::Options();
    return QFileDialog::getSaveFileName(ownerWindow(), caption, startFolder, filter, nullptr, options);
}

QString WidgetDialogHost::existingFolder(const QString& caption, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(ownerWindow(), caption, startFolder);
}

int WidgetDialogHost::runModal(const QString&, const std::function<int()>& exec)
{
    return exec();
}

bool WidgetDialogHost::printerSetup(PrinterChoice& choice)
{
    return execPrinterDialog(choice, ownerWindow());
}

bool WidgetDialogHost::fontDialog(FontChoice& font)
{
    QFont preset(font.name);
    if (font.size > 0)
        preset.setPointSizeF(font.size);
    preset.setBold(font.bold);
    preset.setItalic(font.italic);
    // A face that is not installed opens on the installed one that stands in for it.
    if (!QFontDatabase::hasFamily(font.name))
        preset.setFamily(QFontInfo(preset).family());
    // Qt's own dialog on every platform: it lists the installed font families, which is
    // what the print fonts are chosen from.
    QFontDialog dlg(preset, ownerWindow());
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    dlg.setWindowTitle(QStringLiteral("Schriftart"));
    if (dlg.exec() != QDialog::Accepted)
        return false;
    const QFont chosen = dlg.selectedFont();
    font.name = chosen.family();
    // The dialog offers whole points only and shows 10.5 as 11: a size left as it was shown
    // keeps its fraction.
    if (chosen.pointSize() != qRound(font.size))
        font.size = chosen.pointSizeF();
    font.bold = chosen.bold();
    font.italic = chosen.italic();
    return true;
}

void installWidgetDialogHost()
{
    static WidgetDialogHost host;
    setDialogHost(&host);
}

}  // namespace kv::ui
