#include "settings/Config.h"

#include "data/DbAccess.h"
#include "data/Sql.h"

TConfig Config;

void TConfig::LoadConfig()
{
    SqlText = QString::fromUtf16(SqlTemplate::LoadConfig);
    DbAccess->OpenQuery(SqlText);
    const TResultSet& set = DbAccess->QuerySet();
    // Both are read before either is taken, so a failed read leaves the settings as they were.
    const bool pass = set.AsBoolean(QStringLiteral("bPass"));
    const QString password = set.AsString(QStringLiteral("PassWord"));
    bPass = pass;
    PassWord = password;
}

QString TConfig::SaveStatement() const
{
    return Sql::Format(
        SqlTemplate::SaveConfig,
        {Sql::Quoted(bPass ? QStringLiteral("-1") : QStringLiteral("0")), Sql::Quoted(PassWord)});
}

void TConfig::SaveConfig()
{
    SqlText = SaveStatement();
    DbExecute(SqlText);
}
