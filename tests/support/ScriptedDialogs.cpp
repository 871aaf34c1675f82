#include "ScriptedDialogs.h"

#include <QTest>

bool TScriptedDialogs::MessageBox(TBoxKind kind, const QString& caption, const QString& text)
{
    Boxes.append({kind, caption, text});
    if (kind != TBoxKind::Question)
        return true;
    return Answers.isEmpty() ? false : Answers.dequeue();
}

int TScriptedDialogs::Choose(const QString& caption, const QString& text,
                             const QStringList& buttons)
{
    Boxes.append({TBoxKind::Question, caption, text});
    return Choices.isEmpty() ? int(buttons.size()) - 1 : Choices.dequeue();
}

QString TScriptedDialogs::SaveFileName(const QString& filter)
{
    FileFilters << filter;
    return FileNames.isEmpty() ? QString() : FileNames.dequeue();
}

QString TScriptedDialogs::OpenFileName(const QString& filter, const QString& folder)
{
    FileFilters << filter;
    OpenFolders << folder;
    return FileNames.isEmpty() ? QString() : FileNames.dequeue();
}

QStringList TScriptedDialogs::Texts() const
{
    QStringList texts;
    for (const TBox& box : Boxes)
        texts << box.Text;
    return texts;
}

bool TScriptedDialogs::AnswerPrompt(TPasswordPrompt& prompt)
{
    Prompts << prompt.Caption();
    if (ShowPrompts)
        return prompt.Show();
    for (;;) {
        if (Passwords.isEmpty()) {
            QTest::qFail(
                qPrintable(
                    QStringLiteral("unexpected password prompt \"%1\"").arg(prompt.Caption())),
                __FILE__, __LINE__);
            return false;
        }
        const std::optional<QString> password = Passwords.dequeue();
        if (!password)
            return false;
        if (prompt.Enter(*password))
            return true;
    }
}
