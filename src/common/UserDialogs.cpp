#include "common/UserDialogs.h"

#include <QUrl>

#include <cstdio>

namespace {

class TStandInDialogs final : public TUserDialogs
{
public:
    bool MessageBox(TBoxKind kind, const QString& caption, const QString& text) override
    {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
        return kind != TBoxKind::Question;
    }
    int Choose(const QString& caption, const QString& text, const QStringList& buttons) override
    {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
        return int(buttons.size()) - 1;
    }
    QString SaveFileName(const QString&) override { return {}; }
    QString OpenFileName(const QString&, const QString&) override { return {}; }
    QString DirectoryName() override { return {}; }
    QString ClipboardText() override { return {}; }
    void OpenUrl(const QUrl&) override {}
};

TStandInDialogs StandIn;
TUserDialogs* Installed = nullptr;

} // namespace

TUserDialogs& UserDialogs()
{
    return Installed ? *Installed : StandIn;
}

TUserDialogs* SetUserDialogs(TUserDialogs* dialogs)
{
    TUserDialogs* previous = Installed;
    Installed = dialogs;
    return previous;
}
