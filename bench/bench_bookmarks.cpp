// Importing a browser's bookmark file of 10,000 links (in 100 folders) into an address book that
// already holds 100,000 addresses, the whole way the user's action takes: the menu command, the
// file read, the duplicate check, the one batch, and the address page read again and painted.
// Then the same file again (every link a duplicate), and the export of the whole tree.
// Run: bench_bookmarks [delivered database]; it works in a temporary folder.

#include "BenchDatabase.h"

#include "app/FormMain.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "webaddr/FormAddIE.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

// Answers the file dialogs with the prepared files and keeps the last box's text.
class TBenchDialogs final : public TUserDialogs
{
public:
    QString File;
    QString LastBox;
    bool MessageBox(TBoxKind, const QString&, const QString& text) override
    {
        LastBox = text;
        return true;
    }
    int Choose(const QString&, const QString&, const QStringList&) override { return 0; }
    QString SaveFileName(const QString&) override { return File; }
    QString OpenFileName(const QString&, const QString&) override { return File; }
    QString DirectoryName() override { return {}; }
    QString ClipboardText() override { return {}; }
    void OpenUrl(const QUrl&) override {}
};

QByteArray BookmarkFile(int folders, int linksPerFolder)
{
    QByteArray out = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
                     "CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n";
    for (int f = 0; f < folders; ++f) {
        out += "    <DT><H3 ADD_DATE=\"1700000000\">文件夹 " + QByteArray::number(f) +
               "</H3>\n    <DL><p>\n";
        for (int i = 0; i < linksPerFolder; ++i) {
            const QByteArray n = QByteArray::number(f * linksPerFolder + i);
            out += "        <DT><A HREF=\"https://site" + n + ".example.com/path?a=1&amp;b=" + n +
                   "\" ADD_DATE=\"1700000000\" ICON=\"data:image/png;base64,iVBORw0KGgo=\">"
                   "页面标题 &amp; title " +
                   n + "</A>\n        <DD>说明 " + n + "\n";
        }
        out += "    </DL><p>\n";
    }
    return out + "</DL><p>\n";
}

double Ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The processor time this process used, in ms: what the action costs when the machine is busy
// with other work.
double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    UseOffscreenPlatform();
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);

    QTemporaryDir folder;
    TDbAccess db;
    if (!ConnectDatabase(folder, DeliveredDatabase(argc, argv), db))
        return 1;
    DbExecute(QStringLiteral(
        "insert into IE(TypeID,IEUrl,IEName,ReMark) "
        "with recursive n(i) as (select 0 union all select i+1 from n where i+1<100000) "
        "select 0, 'https://www.' || lower(hex(randomblob(5))) || '.com/page/' || i, "
        "'标题 ' || i, '备注 ' || i from n"));

    const QString file = folder.path() + QStringLiteral("/bookmarks.html");
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(BookmarkFile(100, 100)) < 0)
            return 1;
    }
    TBenchDialogs dialogs;
    SetUserDialogs(&dialogs);
    dialogs.File = file;

    TFormMain form;
    form.show();
    if (!form.FormShow())
        return 1;
    form.PageTabs->setCurrentIndex(1);
    QApplication::processEvents();

    std::printf("%-44s %10s %10s  %s\n", "10,000 links, 100,000 addresses stored", "ms", "cpu ms",
                "box");
    for (const char* label : {"import (new links)", "import again (all duplicates)"}) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = CpuMs();
        form.actImportBookmarks->trigger();
        form.repaint();
        QApplication::processEvents();
        std::printf("%-44s %10.1f %10.1f  %s\n", label, Ms(timer), CpuMs() - cpu,
                    qUtf8Printable(dialogs.LastBox));
    }

    dialogs.File = folder.path() + QStringLiteral("/export.html");
    QElapsedTimer timer;
    timer.start();
    const double cpu = CpuMs();
    form.actExportBookmarks->trigger();
    std::printf("%-44s %10.1f %10.1f  %s\n", "export (110,000 addresses)", Ms(timer), CpuMs() - cpu,
                qUtf8Printable(dialogs.LastBox));

    // The new-address dialog looks the typed address up at every key: one key that completes a
    // stored address, among 110,000.
    TFormAddIE dialog;
    dialog.show();
    dialog.edtIE->setText(QStringLiteral("https://site9999.example.com/path?a=1&b=999"));
    timer.restart();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_9, Qt::NoModifier, QStringLiteral("9"));
    QApplication::sendEvent(dialog.edtIE, &press);
    std::printf("%-44s %10.1f %10s  %s\n", "new-address dialog, one key", Ms(timer), "",
                qUtf8Printable(dialog.lblStoredAt->text()));
    std::printf("target: import of a 10,000-link file < 2000 ms\n");
    SetUserDialogs(nullptr);
    return 0;
}
