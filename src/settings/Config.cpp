#include "settings/Config.h"

#include "data/DbAccess.h"
#include "data/Sql.h"

void TConfig::LoadConfig()
{
    FDbAccess->OpenQuery(QString::fromUtf16(SqlTemplate::LoadConfig));
    const TResultSet& set = FDbAccess->QuerySet();
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
    FDbAccess->ExecuteBatch(SaveStatement());
}
