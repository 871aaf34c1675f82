#pragma once

#include <QString>
#include <QStringList>

class QUrl;

enum class TBoxKind
{
    Information,
    Question,
    Error
};

// One of the program's own password prompts, as whoever answers it sees it.
class TPasswordPrompt
{
public:
    virtual QString Caption() const = 0;
    // Shows the prompt to the user until it closes; true when it took a password.
    virtual bool Show() = 0;
    // As typing the password into the prompt and pressing OK: true when it took it and closed; a
    // refused one is told as the prompt tells it, and the prompt waits for another.
    virtual bool Enter(const QString& password) = 0;

protected:
    ~TPasswordPrompt() = default;
};

// Everything the program asks of the desktop that a test must be able to answer instead: message
// boxes, the open and save file dialogs, the clipboard and the desktop's handler for addresses.
// The real implementation shows Qt's dialogs; tests hand in a scripted one. The object that owns
// what asks hands it in.
class TUserDialogs
{
public:
    virtual ~TUserDialogs() = default;

    // Shows a modal box. For a question the default button is No; the result is true exactly
    // when the user chose Yes. Other boxes return true when closed.
    virtual bool MessageBox(TBoxKind kind, const QString& caption, const QString& text) = 0;
    // A question with buttons of its own, the first the default, the last what closing the box
    // answers; returns the index of the button chosen.
    virtual int Choose(const QString& caption, const QString& text, const QStringList& buttons) = 0;
    // An empty result means the user cancelled. The open dialog starts in folder when one is
    // given.
    virtual QString SaveFileName(const QString& filter) = 0;
    virtual QString OpenFileName(const QString& filter, const QString& folder) = 0;
    // An existing folder; empty when cancelled.
    virtual QString DirectoryName() = 0;
    virtual QString ClipboardText() = 0;
    // False when the desktop has nothing to open the address with.
    virtual bool OpenUrl(const QUrl& url) = 0;
    // Has the prompt answered, by the user unless tests script it; true when it took a password.
    virtual bool AnswerPrompt(TPasswordPrompt& prompt) { return prompt.Show(); }
};

// Answers without a desktop: writes boxes to the standard error stream, says No to every question
// and cancels every file dialog and password prompt. For runs that nobody watches, and for an error
// raised before the program's dialogs exist.
class TQuietDialogs final : public TUserDialogs
{
public:
    bool MessageBox(TBoxKind kind, const QString& caption, const QString& text) override;
    int Choose(const QString& caption, const QString& text, const QStringList& buttons) override;
    QString SaveFileName(const QString&) override { return {}; }
    QString OpenFileName(const QString&, const QString&) override { return {}; }
    QString DirectoryName() override { return {}; }
    QString ClipboardText() override { return {}; }
    bool OpenUrl(const QUrl&) override { return false; }
    bool AnswerPrompt(TPasswordPrompt&) override { return false; }
};
