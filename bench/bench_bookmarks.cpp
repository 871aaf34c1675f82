// Importing a browser's bookmark file of 10,000 links (in 100 folders) into an address book that
// already holds 100,000 addresses, the whole way the user's action takes: the menu command, the
// file read, the duplicate check, the one batch, and the address page read again and painted.
// Then the same file again (every link a duplicate), and the export of the whole tree. Then a
// Firefox and a Chromium profile of 10,000 bookmarks each through "从浏览器导入书签…", and last a
// 100 MiB bookmark file (links with their sites' icons, as Firefox exports them): its time, the
// program's peak memory beside the file's size, and the longest the event loop waited meanwhile.
// Last a 200 MiB file on one line, imported while a group is on show: the peak memory and the
// memory after, against the goal; then what the list takes when 全部 shows every address.
// Run: bench_bookmarks [delivered database]; it works in a temporary folder and home.

#include "BenchDatabase.h"

#include "app/FormMain.h"
#include "common/CardException.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "webaddr/FormAddIE.h"
#include "webaddr/FormBrowserImport.h"
#include "webaddr/IE.h"

#include "ProfileKit.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

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
    bool OpenUrl(const QUrl&) override { return true; }
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

// A figure of /proc/self/status in MiB: "VmHWM:" the peak resident memory since the last
// ResetPeak, "VmRSS:" the resident memory now.
double StatusMiB(const QByteArray& key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

double PeakMiB()
{
    return StatusMiB("VmHWM:");
}

void ResetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// A bookmark file of about the given size: links with an icon each, 100 to a folder.
qint64 WriteLargeFile(const QString& path, qint64 size)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return 0;
    out.write("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
              "CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n");
    const QByteArray icon = "data:image/png;base64," + QByteArray(830, 'Q');
    for (int n = 0; out.size() < size; ++n) {
        if (n % 100 == 0)
            out.write((n ? "    </DL><p>\n" : "") + QByteArray("    <DT><H3>大文件夹 ") +
                      QByteArray::number(n / 100) + "</H3>\n    <DL><p>\n");
        const QByteArray i = QByteArray::number(n);
        out.write("        <DT><A HREF=\"https://large" + i + ".example.net/a/b?c=" + i +
                  "\" ADD_DATE=\"1700000000\" ICON=\"" + icon + "\" TAGS=\"t" + i +
                  "\">大文件的页面 " + i + "</A>\n        <DD>说明 " + i + "\n");
    }
    out.write("    </DL><p>\n</DL><p>\n");
    return out.size();
}

// A bookmark file of about the given size on one line, as some programs write it: short links,
// no folders, no line breaks.
qint64 WriteOneLineFile(const QString& path, qint64 size)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return 0;
    out.write("<!DOCTYPE NETSCAPE-Bookmark-file-1><META HTTP-EQUIV=\"Content-Type\" "
              "CONTENT=\"text/html; charset=UTF-8\"><TITLE>Bookmarks</TITLE><DL><p>");
    QByteArray piece;
    for (qint64 n = 0; out.size() + piece.size() < size; ++n) {
        const QByteArray i = QByteArray::number(n);
        piece += "<DT><A HREF=\"https://o" + i + ".example.org/\">t" + i + "</A>";
        if (piece.size() >= (1 << 20)) {
            out.write(piece);
            piece.clear();
        }
    }
    out.write(piece + "</DL><p>");
    return out.size();
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
    db.ExecuteBatch(QStringLiteral(
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
    TCardException handler(dialogs);
    dialogs.File = file;

    TFormMain form(db, dialogs);
    form.show();
    if (!form.FormShow())
        return 1;
    form.findChild<QTabWidget*>(QStringLiteral("PageTabs"))->setCurrentIndex(1);
    QApplication::processEvents();
    QAction* importBookmarks = form.findChild<QAction*>(QStringLiteral("actImportBookmarks"));

    std::printf("%-44s %10s %10s  %s\n", "10,000 links, 100,000 addresses stored", "ms", "cpu ms",
                "box");
    for (const char* label : {"import (new links)", "import again (all duplicates)"}) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = CpuMs();
        importBookmarks->trigger();
        form.repaint();
        QApplication::processEvents();
        std::printf("%-44s %10.1f %10.1f  %s\n", label, Ms(timer), CpuMs() - cpu,
                    qUtf8Printable(dialogs.LastBox));
    }

    std::printf("target: import of a 10,000-link file < 2000 ms\n\n");

    dialogs.File = folder.path() + QStringLiteral("/export.html");
    QElapsedTimer timer;
    timer.start();
    const double cpu = CpuMs();
    form.findChild<QAction*>(QStringLiteral("actExportBookmarks"))->trigger();
    std::printf("%-44s %10.1f %10.1f  %s\n", "export (110,000 addresses)", Ms(timer), CpuMs() - cpu,
                qUtf8Printable(dialogs.LastBox));

    // Browser profiles of 10,000 bookmarks each, in 100 folders, in a home of their own.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    {
        ProfileKit::TFirefoxProfile firefox(home.path(), QStringLiteral("default-release"));
        firefox.Execute(QStringLiteral("begin"));
        for (int f = 0; f < 100; ++f) {
            const qint64 folderId =
                firefox.Folder(ProfileKit::TFirefoxProfile::Root("toolbar_____"),
                               QStringLiteral("文件夹 %1").arg(f));
            for (int i = 0; i < 100; ++i)
                firefox.Link(folderId,
                             QStringLiteral("https://ff%1.example.org/p").arg(f * 100 + i),
                             QStringLiteral("Firefox 页面 %1").arg(f * 100 + i),
                             {QStringLiteral("tag%1").arg(i % 7)});
        }
        firefox.Execute(QStringLiteral("commit"));
    }
    QByteArray json = R"({"roots": {"bookmark_bar": {"type": "folder", "children": [)";
    for (int f = 0; f < 100; ++f) {
        json += (f ? "," : "") + QByteArray(R"({"type": "folder", "name": "文件夹 )") +
                QByteArray::number(f) + R"(", "children": [)";
        for (int i = 0; i < 100; ++i)
            json += (i ? "," : "") + QByteArray(R"({"type": "url", "name": "Chromium 页面", )") +
                    R"("url": "https://cr)" + QByteArray::number(f * 100 + i) +
                    R"(.example.org/p"})";
        json += "]}";
    }
    json += R"(]}, "other": {"type": "folder", "children": []}}, "version": 1})";
    ProfileKit::WriteChromiumBookmarks(home.path(), QStringLiteral("chromium"),
                                       QStringLiteral("Default"), json);
    for (const int row : {0, 1}) {
        // The dialog is answered as soon as it is up: the profile chosen, then OK.
        QTimer answer;
        answer.setInterval(1);
        QObject::connect(&answer, &QTimer::timeout, &answer, [row] {
            if (auto* dialog =
                    qobject_cast<TFormBrowserImport*>(QApplication::activeModalWidget())) {
                dialog->lstProfiles->setCurrentRow(row);
                dialog->btnOK->click();
            }
        });
        answer.start();
        timer.restart();
        const double cpuProfile = CpuMs();
        form.findChild<QAction*>(QStringLiteral("actImportFromBrowser"))->trigger();
        form.repaint();
        QApplication::processEvents();
        std::printf("%-44s %10.1f %10.1f  %s\n",
                    row == 0 ? "Firefox profile, 10,000 bookmarks"
                             : "Chromium profile, 10,000 bookmarks",
                    Ms(timer), CpuMs() - cpuProfile,
                    qUtf8Printable(dialogs.LastBox.section(QLatin1Char('\n'), 0, 0)));
    }
    std::printf("target: each profile < 2000 ms\n\n");

    // The new-address dialog looks the typed address up at every key: one key that completes a
    // stored address, among 110,000.
    TIE store(db);
    TFormAddIE dialog(store, dialogs);
    dialog.show();
    dialog.edtIE->setText(QStringLiteral("https://site9999.example.com/path?a=1&b=999"));
    timer.restart();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_9, Qt::NoModifier, QStringLiteral("9"));
    QApplication::sendEvent(dialog.edtIE, &press);
    std::printf("%-44s %10.1f %10s  %s\n", "new-address dialog, one key", Ms(timer), "",
                qUtf8Printable(dialog.lblStoredAt->text()));
    // The 100 MiB file, with the event loop watched for how long it waited.
    dialogs.File = folder.path() + QStringLiteral("/large.html");
    const double fileMiB =
        double(WriteLargeFile(dialogs.File, 100LL * 1024 * 1024)) / (1024.0 * 1024.0);
    QElapsedTimer sinceTurn;
    qint64 longestWait = 0;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, &watch,
                     [&] { longestWait = std::max(longestWait, sinceTurn.restart()); });
    QApplication::processEvents();
    ResetPeak();
    const double before = PeakMiB();
    sinceTurn.start();
    watch.start();
    timer.restart();
    const double cpuLarge = CpuMs();
    importBookmarks->trigger();
    const double largeMs = Ms(timer);
    watch.stop();
    std::printf("\n%-44s %10.1f %10.1f  %s\n", "100 MiB file import (with the page read again)",
                largeMs, CpuMs() - cpuLarge,
                qUtf8Printable(dialogs.LastBox.section(QLatin1Char('\n'), 0, 0)));
    std::printf(
        "file %.1f MiB; peak memory %.1f MiB (%.1f MiB before); bound 2 x file + 100 = %.1f MiB\n",
        fileMiB, PeakMiB(), before, 2 * fileMiB + 100);
    std::printf("longest wait of the event loop during the import: %lld ms\n",
                static_cast<long long>(longestWait));
    std::printf("target: <= 10000 ms, peak within the bound, the window repainted throughout\n");

    // A 200 MiB file on one line, imported while a group is on show: the memory the import
    // takes is bounded by its links, not by the file, and is given back when it is done.
    dialogs.File = folder.path() + QStringLiteral("/oneline.html");
    const double lineMiB =
        double(WriteOneLineFile(dialogs.File, 200LL * 1024 * 1024)) / (1024.0 * 1024.0);
    auto* tvIE = form.findChild<QTreeWidget*>(QStringLiteral("tvIE"));
    const auto choose = [tvIE](QTreeWidgetItem* node) {
        tvIE->setCurrentItem(node);
        // The list follows the selection after a short pause.
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 500)
            QApplication::processEvents();
    };
    choose(tvIE->topLevelItem(0)->child(0));
    ResetPeak();
    const double rssBefore = StatusMiB("VmRSS:");
    timer.restart();
    importBookmarks->trigger();
    form.repaint();
    QApplication::processEvents();
    const double lineMs = Ms(timer);
    const double rssAfter = StatusMiB("VmRSS:");
    std::printf("\n%-44s %10.1f %10s  %s\n", "200 MiB one-line file import", lineMs, "",
                qUtf8Printable(dialogs.LastBox.section(QLatin1Char('\n'), 0, 0)));
    std::printf("file %.1f MiB; peak memory %.1f MiB (%.1f MiB before), bound 2 x file + 100 = "
                "%.1f MiB: %s\n",
                lineMiB, PeakMiB(), rssBefore, 2 * lineMiB + 100,
                PeakMiB() <= 2 * lineMiB + 100 ? "within" : "OVER");
    std::printf("memory after %.1f MiB, %+.1f MiB against before, bound +50 MiB: %s\n", rssAfter,
                rssAfter - rssBefore, rssAfter - rssBefore <= 50 ? "within" : "OVER");

    // What the address list then takes when 全部 is chosen: it holds every address.
    timer.restart();
    choose(tvIE->topLevelItem(0));
    std::printf(
        "%-44s %10.1f %10s  %lld addresses listed, memory %.1f MiB (%+.1f MiB)\n",
        "全部 chosen after it", Ms(timer), "",
        static_cast<long long>(
            form.findChild<QAbstractItemView*>(QStringLiteral("AddressGrid"))->model()->rowCount()),
        StatusMiB("VmRSS:"), StatusMiB("VmRSS:") - rssAfter);
    return 0;
}
