#pragma once

#include "common/CardException.h"
#include "common/UserDialogs.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QUrl>

#include <optional>

// Answers the program's boxes and file dialogs from a script and records what was shown.
// Handed in where the program takes its dialogs; while it exists, errors that no code catches are
// shown in it too, as the program's handler shows them in its boxes. Unscripted questions are
// answered No, file dialogs cancelled. A password prompt takes the scripted passwords one try
// after another, an empty entry cancelling it; one beyond the script is cancelled and fails the
// test at once, rather than waiting for someone to type.
class TScriptedDialogs final : public TUserDialogs
{
public:
    struct TBox
    {
        TBoxKind Kind;
        QString Caption;
        QString Text;
    };

    bool MessageBox(TBoxKind kind, const QString& caption, const QString& text) override;
    // Recorded as a question; answered from Choices, else with the last button.
    int Choose(const QString& caption, const QString& text, const QStringList& buttons) override;
    QString SaveFileName(const QString& filter) override;
    QString OpenFileName(const QString& filter, const QString& folder) override;
    QString DirectoryName() override
    {
        return Directories.isEmpty() ? QString() : Directories.dequeue();
    }
    QString ClipboardText() override { return Clipboard; }
    bool OpenUrl(const QUrl& url) override
    {
        OpenedUrls << url;
        return UrlsOpen;
    }
    bool AnswerPrompt(TPasswordPrompt& prompt) override;

    QList<TBox> Boxes;
    QQueue<bool> Answers;
    QQueue<int> Choices;
    QQueue<QString> FileNames;
    QQueue<QString> Directories;
    QStringList FileFilters;
    QStringList OpenFolders; // the start folder of each open dialog
    QString Clipboard;
    QList<QUrl> OpenedUrls;
    QQueue<std::optional<QString>> Passwords;
    QStringList Prompts; // the caption of each password prompt
    // Shows the prompts for real instead, to a test that drives them itself.
    bool ShowPrompts = false;
    bool UrlsOpen = true; // false: the desktop has no browser

    // The texts of the boxes shown so far.
    QStringList Texts() const;

private:
    TCardException FErrors{*this};
};
