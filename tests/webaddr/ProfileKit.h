#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// Browser profiles as the browsers write them, made under a home folder for the tests and the
// benchmark.
namespace ProfileKit {

// A Firefox profile listed in HOME/.mozilla/firefox/profiles.ini: places.sqlite with Firefox's
// tables and root folders, in WAL mode with its connection held open as the running browser
// holds it, so that what is added stays in the -wal file.
class TFirefoxProfile final
{
public:
    TFirefoxProfile(const QString& home, const QString& name);
    ~TFirefoxProfile();
    TFirefoxProfile(const TFirefoxProfile&) = delete;
    TFirefoxProfile& operator=(const TFirefoxProfile&) = delete;

    // The ids of the root folders: "toolbar_____", "menu________", ...
    static qint64 Root(const char* guid);
    qint64 Folder(qint64 parent, const QString& title);
    void Link(qint64 parent, const QString& url, const QString& title,
              const QStringList& tags = {});
    void Separator(qint64 parent);
    void Execute(const QString& sql);
    QString Places() const { return FPlaces; }

private:
    qint64 Add(int type, qint64 parent, qint64 place, const QString& title);
    QString FPlaces;
    sqlite3* FDb = nullptr;
};

// HOME/.config/<browser>/<profile>/Bookmarks with the given text.
QString WriteChromiumBookmarks(const QString& home, const QString& browser, const QString& profile,
                               const QByteArray& json);

} // namespace ProfileKit
