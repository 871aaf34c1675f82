#include "data/DataFileCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace DataFileCheck {
namespace {

// The system's reason why a path cannot be written, or 0.
int WriteError(const QString& path, int mode)
{
    return ::access(QFile::encodeName(path).constData(), mode) == 0 ? 0 : errno;
}

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString WriteProblem(const QString& database)
{
    const QFileInfo file(database);
    if (!file.exists())
        return {};
    const QString folder = file.absolutePath();
    if (const int error = WriteError(folder, W_OK | X_OK); error != 0)
        return QCoreApplication::translate(
                   "DataFileCheck",
                   "数据文件所在的文件夹“%1”是只读的（%2），程序不能在其中写入。\n"
                   "请让当前用户可以写入这个文件夹，或把 Velmora 和它的数据文件移到"
                   "可以写入的文件夹中，然后再启动 Velmora。")
            .arg(Native(folder), qt_error_string(error));
    if (const int error = WriteError(database, R_OK | W_OK); error != 0)
        return QCoreApplication::translate("DataFileCheck",
                                           "数据文件“%1”不能写入（%2）。\n"
                                           "请让当前用户可以读写这个文件（例如去掉它的只读属性），"
                                           "然后再启动 Velmora。")
            .arg(Native(database), qt_error_string(error));
    const QString journal = database + QStringLiteral("-journal");
    struct stat about
    {};
    if (::lstat(QFile::encodeName(journal).constData(), &about) == 0) {
        const int error = S_ISREG(about.st_mode) ? WriteError(journal, R_OK | W_OK) : EISDIR;
        if (error != 0)
            return QCoreApplication::translate(
                       "DataFileCheck",
                       "数据文件的日志文件“%1”不能写入（%2），它可能是另一个用户"
                       "运行 Velmora 时留下的。\n"
                       "请让当前用户可以读写这个文件，或在没有 Velmora 运行时由它的"
                       "主人删除它，然后再启动 Velmora。")
                .arg(Native(journal), qt_error_string(error));
    }
    return {};
}

void TightenModes(const QString& database)
{
    for (const QString& file : QStringList{database, database + QStringLiteral("-journal")}) {
        struct stat about
        {};
        const QByteArray name = QFile::encodeName(file);
        if (::lstat(name.constData(), &about) == 0 && S_ISREG(about.st_mode) &&
            about.st_uid == ::geteuid() && (about.st_mode & 077) != 0)
            ::chmod(name.constData(), about.st_mode & 0700);
    }
}

void RemoveStagedLeftovers(const QString& database)
{
    const QFileInfo file(database);
    const QRegularExpression staged(QStringLiteral("^") +
                                    QRegularExpression::escape(file.fileName()) +
                                    QStringLiteral("\\.[A-Za-z0-9]{6}(-journal)?$"));
    const QDir folder = file.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        if (staged.match(name).hasMatch())
            QFile::remove(folder.filePath(name));
}

} // namespace DataFileCheck
