// Takes the README's pictures: the main window on both pages and the new-address dialog, over
// sample data in a temporary copy of the delivered database. It runs the program's own window on
// whatever display it is given; make-screenshots.sh gives it a virtual one.
//
//   velmora_screenshots DELIVERED-DB OUTPUT-FOLDER [--dark | --english]

#include "app/AppIcon.h"
#include "app/FormMain.h"
#include "app/Translations.h"
#include "common/AppPath.h"
#include "common/CardException.h"
#include "common/gui/QtUserDialogs.h"
#include "controls/CardEdtBut.h"
#include "data/DbAccess.h"
#include "groups/CardTree.h"
#include "notes/NotePage.h"
#include "webaddr/FormAddIE.h"
#include "webaddr/IE.h"
#include "webaddr/WebAddrPage.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>

namespace {

// The English pictures show English sample data too.
bool English = false;

const char* Sample(const char* chinese, const char* english)
{
    return English ? english : chinese;
}

QPalette DarkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    palette.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    palette.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    palette.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
    palette.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    palette.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0x7a, 0xd6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0x35, 0x35, 0x35));
    palette.setColor(QPalette::ToolTipText, QColor(0xe6, 0xe6, 0xe6));
    return palette;
}

QTreeWidgetItem* Group(TCardTree& tree, QTreeWidgetItem* parent, const char* chinese,
                       const char* english)
{
    tree.Select(parent);
    return tree.AddGroup(QString::fromUtf8(Sample(chinese, english)));
}

void AddAddress(TIE& store, qint32 group, const char* url, const char* title,
                const char* englishTitle, const char* remark, const char* englishRemark)
{
    store.TypeID = group;
    store.IEUrl = QString::fromUtf8(url);
    store.IEName = QString::fromUtf8(Sample(title, englishTitle));
    store.ReMark = QString::fromUtf8(Sample(remark, englishRemark));
    store.InsertAddress();
}

void FillSampleData(TFormMain& form, TDbAccess& dbAccess)
{
    // The window keeps its pages to itself; a tool that fills them finds them by name.
    TNotePage* notePage = form.findChild<TNotePage*>(QStringLiteral("NotePage"));
    TWebAddrPage* webAddrPage = form.findChild<TWebAddrPage*>(QStringLiteral("WebAddrPage"));
    TCardTree& notes = notePage->NoteTree();
    QTreeWidgetItem* work = Group(notes, notes.RootNode(), "工作", "Work");
    QTreeWidgetItem* meetings = Group(notes, work, "会议记录", "Meeting notes");
    Group(notes, work, "待办事项", "To do");
    Group(notes, notes.RootNode(), "读书笔记", "Reading");
    Group(notes, notes.RootNode(), "旅行计划", "Travel plans");
    work->setExpanded(true);
    notes.Select(meetings);
    notePage->tvNoteClick();
    notePage->findChild<QPlainTextEdit*>(QStringLiteral("mmoNote"))
        ->setPlainText(QString::fromUtf8(Sample("2026-12-07 周一例会\n\n"
                                                "1. 新版本的安装包本周五前完成\n"
                                                "2. 用户手册补上截图\n"
                                                "3. 下次会议：12月14日 上午10点\n",
                                                "2026-12-07 Monday meeting\n\n"
                                                "1. The new installer is ready by Friday\n"
                                                "2. Screenshots for the user guide\n"
                                                "3. Next meeting: 14 December, 10 am\n")));

    TCardTree& addresses = webAddrPage->IETree();
    QTreeWidgetItem* news = Group(addresses, addresses.RootNode(), "新闻", "News");
    QTreeWidgetItem* tech = Group(addresses, addresses.RootNode(), "技术", "Tech");
    QTreeWidgetItem* shopping = Group(addresses, addresses.RootNode(), "购物", "Shopping");
    const auto id = [](QTreeWidgetItem* node) {
        return TCardTree::KeyOf(node).SelfIndex;
    };
    TIE store(dbAccess);
    AddAddress(store, id(news), "www.example.com/news", "每日新闻", "Daily news", "早上看",
               "Mornings");
    AddAddress(store, id(news), "www.example.org/weather", "天气预报", "Weather", "", "");
    AddAddress(store, id(tech), "www.example.net/qt", "Qt 文档", "Qt documentation",
               "Widgets 与布局", "Widgets and layouts");
    AddAddress(store, id(tech), "www.example.net/sqlite", "SQLite 手册", "SQLite manual", "", "");
    AddAddress(store, id(tech), "www.example.com/cpp", "C++ 参考", "C++ reference", "标准库",
               "Standard library");
    AddAddress(store, id(shopping), "www.example.org/books", "网上书店", "Bookshop", "", "");
    webAddrPage->ListAllAddresses();
}

bool Save(QWidget* widget, const QString& path)
{
    QTest::qWait(200);
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    TQtUserDialogs dialogs;
    TCardException cardException(dialogs);
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(
            stderr, "usage: velmora_screenshots DELIVERED-DB OUTPUT-FOLDER [--dark | --english]\n");
        return 2;
    }
    const QString output = arguments.at(2) + QLatin1Char('/');
    const bool dark = arguments.contains(QStringLiteral("--dark"));
    English = arguments.contains(QStringLiteral("--english"));
    if (English)
        InstallTranslators(application, QLocale(QLocale::English, QLocale::UnitedStates));
    if (dark) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(DarkPalette());
    }
    QApplication::setWindowIcon(MainIcon());

    QTemporaryDir folder;
    if (!folder.isValid() ||
        !QFile::copy(arguments.at(1), folder.filePath(QStringLiteral("bookkeep.dat"))))
        return 1;
    SetAppPath(folder.path());
    int status = 1;
    {
        TDbAccess dbAccess;
        dbAccess.Connect(dialogs);
        if (!dbAccess.Connected())
            return 1;
        TFormMain form(dbAccess, dialogs);
        if (!form.FormShow())
            return 1;
        FillSampleData(form, dbAccess);
        form.ShowAsRemembered();
        const QString suffix = dark      ? QStringLiteral("-dark.png")
                               : English ? QStringLiteral("-en.png")
                                         : QStringLiteral(".png");
        bool ok = Save(&form, output + QStringLiteral("notebook") + suffix);
        form.findChild<QTabWidget*>(QStringLiteral("PageTabs"))->setCurrentIndex(1);
        ok = Save(&form, output + QStringLiteral("addresses") + suffix) && ok;
        if (!English) {
            TIE store(dbAccess);
            TFormAddIE dialog(store, dialogs, &form);
            dialog.GroupID = 0;
            dialog.edtGroup->setText(QStringLiteral("技术"));
            dialog.edtIE->setText(QStringLiteral("www.example.net/cmake"));
            dialog.edtName->setText(QStringLiteral("CMake 手册"));
            dialog.show();
            ok = Save(&dialog, output + QStringLiteral("new-address") + suffix) && ok;
            dialog.close();
        }
        status = ok ? 0 : 1;
        form.hide();
    }
    return status;
}
