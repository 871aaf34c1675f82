#include "ProfileKit.h"

#include <QDir>
#include <QFile>

#include <sqlcipher/sqlite3.h>

namespace ProfileKit {

namespace {

constexpr char Schema[] =
    "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, "
    "rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, "
    "typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date "
    "INTEGER , guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 "
    "NOT NULL , description TEXT, preview_image_url TEXT, site_name TEXT, origin_id INTEGER "
    "REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency "
    "INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, "
    "parent INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, "
    "dateAdded INTEGER, lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, "
    "syncChangeCounter INTEGER NOT NULL DEFAULT 1);"
    "CREATE UNIQUE INDEX moz_places_url_uniqueindex ON moz_places (url);"
    "CREATE UNIQUE INDEX moz_bookmarks_guid_uniqueindex ON moz_bookmarks (guid);"
    "INSERT INTO moz_bookmarks(id,type,parent,position,title,guid) VALUES "
    "(1,2,0,0,'','root________'),(2,2,1,0,'menu','menu________'),"
    "(3,2,1,1,'toolbar','toolbar_____'),(4,2,1,2,'tags','tags________'),"
    "(5,2,1,3,'unfiled','unfiled_____'),(6,2,1,4,'mobile','mobile______');";

} // namespace

TFirefoxProfile::TFirefoxProfile(const QString& home, const QString& name)
{
    const QString folder = home + QStringLiteral("/.mozilla/firefox");
    QDir().mkpath(folder + QStringLiteral("/abc123.") + name);
    QFile ini(folder + QStringLiteral("/profiles.ini"));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[Install4F96D1932A9F858E]\nDefault=abc123." + name.toUtf8() +
                  "\n\n[Profile0]\nName=" + name.toUtf8() + "\nIsRelative=1\nPath=abc123." +
                  name.toUtf8() + "\nDefault=1\n\n[General]\nStartWithLastProfile=1\n");
    FPlaces = folder + QStringLiteral("/abc123.") + name + QStringLiteral("/places.sqlite");
    sqlite3_open(QFile::encodeName(FPlaces).constData(), &FDb);
    sqlite3_exec(FDb, Schema, nullptr, nullptr, nullptr);
}

TFirefoxProfile::~TFirefoxProfile()
{
    sqlite3_close(FDb);
}

qint64 TFirefoxProfile::Root(const char* guid)
{
    static const char* const roots[] = {"menu________", "toolbar_____", "tags________",
                                        "unfiled_____", "mobile______"};
    for (int i = 0; i < 5; ++i)
        if (qstrcmp(roots[i], guid) == 0)
            return i + 2;
    return 0;
}

void TFirefoxProfile::Execute(const QString& sql)
{
    sqlite3_exec(FDb, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
}

qint64 TFirefoxProfile::Add(int type, qint64 parent, qint64 place, const QString& title)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(FDb,
                       "insert into moz_bookmarks(type,fk,parent,position,title,dateAdded,"
                       "lastModified,guid) values (?1,nullif(?2,0),?3,(select count(*) from "
                       "moz_bookmarks where parent=?3),?4,1700000000000000,1700000000000000,"
                       "substr(lower(hex(randomblob(6))),1,12))",
                       -1, &statement, nullptr);
    const QByteArray text = title.toUtf8();
    sqlite3_bind_int(statement, 1, type);
    sqlite3_bind_int64(statement, 2, place);
    sqlite3_bind_int64(statement, 3, parent);
    sqlite3_bind_text(statement, 4, text.constData(), int(text.size()), SQLITE_STATIC);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
    return sqlite3_last_insert_rowid(FDb);
}

qint64 TFirefoxProfile::Folder(qint64 parent, const QString& title)
{
    return Add(2, parent, 0, title);
}

void TFirefoxProfile::Separator(qint64 parent)
{
    Add(3, parent, 0, QString());
}

void TFirefoxProfile::Link(qint64 parent, const QString& url, const QString& title,
                           const QStringList& tags)
{
    const QByteArray address = url.toUtf8();
    const QByteArray text = title.toUtf8();
    sqlite3_stmt* statement = nullptr;
    qint64 place = 0;
    sqlite3_prepare_v2(FDb, "select id from moz_places where url=?1", -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, address.constData(), int(address.size()), SQLITE_STATIC);
    if (sqlite3_step(statement) == SQLITE_ROW)
        place = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    if (place == 0) {
        sqlite3_prepare_v2(FDb,
                           "insert into moz_places(url,title,guid,foreign_count) values "
                           "(?1,?2,substr(lower(hex(randomblob(6))),1,12),1)",
                           -1, &statement, nullptr);
        sqlite3_bind_text(statement, 1, address.constData(), int(address.size()), SQLITE_STATIC);
        sqlite3_bind_text(statement, 2, text.constData(), int(text.size()), SQLITE_STATIC);
        sqlite3_step(statement);
        sqlite3_finalize(statement);
        place = sqlite3_last_insert_rowid(FDb);
    }
    Add(1, parent, place, title);
    for (const QString& tag : tags) {
        qint64 folder = 0;
        sqlite3_prepare_v2(FDb, "select id from moz_bookmarks where parent=4 and title=?1", -1,
                           &statement, nullptr);
        const QByteArray name = tag.toUtf8();
        sqlite3_bind_text(statement, 1, name.constData(), int(name.size()), SQLITE_STATIC);
        if (sqlite3_step(statement) == SQLITE_ROW)
            folder = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        Add(1, folder ? folder : Folder(Root("tags________"), tag), place, QString());
    }
}

QString WriteChromiumBookmarks(const QString& home, const QString& browser, const QString& profile,
                               const QByteArray& json)
{
    const QString folder =
        home + QStringLiteral("/.config/") + browser + QLatin1Char('/') + profile;
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/Bookmarks"));
    if (file.open(QIODevice::WriteOnly))
        file.write(json);
    return file.fileName();
}

} // namespace ProfileKit
