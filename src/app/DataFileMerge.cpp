#include "app/DataFileMerge.h"

#include "common/DailyLog.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "data/Sqlite.h"
#include "settings/FileKeyPrompt.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).fileName());
}

} // namespace

std::optional<ImportMerge::TReport> MergeDataFile(TDbAccess& dbAccess, TUserDialogs& dialogs,
                                                  const QString& path, const QString& source)
{
    const std::optional<TFileKey> key = KeyForFile(
        dbAccess.Key(), dialogs, path,
        QCoreApplication::translate("DataFileMerge", "请输入“%1”的密码").arg(Shown(path)));
    if (!key)
        return std::nullopt;
    // A connection of the merge's own, written the way the program writes the data file.
    QString error;
    const TConnection local =
        DatabaseFile::Open(dbAccess.DatabasePath(), false, &error, dbAccess.Key());
    if (local)
        error = DatabaseFile::Execute(local.get(), QStringLiteral("PRAGMA journal_mode=TRUNCATE; "
                                                                  "PRAGMA synchronous=FULL;"));
    if (!error.isEmpty())
        throw EDBException(error, QString::fromUtf8(DbHint::Batch), QString());
    const ImportMerge::TSetup setup{source.isEmpty() ? QFileInfo(path).completeBaseName() : source,
                                    QDateTime::currentMSecsSinceEpoch()};
    const ImportMerge::TReport report = ImportMerge::MergeFile(local.get(), path, *key, setup);
    // The daily log keeps what every merge did.
    if (report.Refused.isEmpty())
        WriteLog(QStringLiteral("合并数据文件 %1：新增分组 %2，笔记 %3，网址 %4，冲突副本 %5")
                     .arg(QDir::toNativeSeparators(path))
                     .arg(report.Groups)
                     .arg(report.Notes)
                     .arg(report.Addresses)
                     .arg(report.Conflicts));
    return report;
}

bool MergeChanged(const std::optional<ImportMerge::TReport>& report)
{
    return report && report->Groups + report->Notes + report->Addresses + report->Conflicts > 0;
}

QString MergeOutcome(const QString& path, const std::optional<ImportMerge::TReport>& report)
{
    if (!report)
        return QCoreApplication::translate("DataFileMerge",
                                           "没有输入“%1”的密码，未合并，当前数据没有改变。")
            .arg(Shown(path));
    if (!report->Refused.isEmpty())
        return QCoreApplication::translate("DataFileMerge", "无法合并“%1”：%2\n%3")
            .arg(Shown(path), DatabaseFile::Explanation(report->Refused), report->Refused);
    if (!MergeChanged(report))
        return QCoreApplication::translate("DataFileMerge",
                                           "已合并“%1”：其中没有当前数据缺少的内容。")
            .arg(Shown(path));
    return QCoreApplication::translate(
               "DataFileMerge",
               "已合并“%1”：新增 %2 个分组，新增或补全 %3 条笔记，新增 %4 个网址；%5 处两边不同的"
               "内容已另存为冲突副本。")
        .arg(Shown(path))
        .arg(report->Groups)
        .arg(report->Notes)
        .arg(report->Addresses)
        .arg(report->Conflicts);
}

bool MergeDataFileCommand(TDbAccess& dbAccess, TUserDialogs& dialogs)
{
    const QString path = dialogs.OpenFileName(
        QCoreApplication::translate(
            "DataFileMerge",
            "Velmora 数据文件 (*.dat *.bat *.vsync)|*.dat;*.bat;*.vsync|所有文件 (*)|*"),
        QString());
    if (path.isEmpty())
        return false;
    const QFileInfo chosen(path);
    if (chosen.exists() &&
        chosen.canonicalFilePath() == QFileInfo(dbAccess.DatabasePath()).canonicalFilePath())
        throw ECardError(QCoreApplication::translate(
                             "DataFileMerge", "“%1”就是当前使用的数据文件，不能合并到它自己。")
                             .arg(Shown(path)));
    const std::optional<ImportMerge::TReport> report = MergeDataFile(dbAccess, dialogs, path);
    if (report && !report->Refused.isEmpty())
        ShowError(dialogs, MergeOutcome(path, report));
    else
        ShowInfo(dialogs, MergeOutcome(path, report));
    return MergeChanged(report);
}
