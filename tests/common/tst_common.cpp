#include "ModalDriver.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "common/AppPath.h"
#include "common/CardException.h"
#include "common/DailyLog.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/TextUtil.h"
#include "common/gui/QtUserDialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStringDecoder>
#include <QtTest>

class TestCommon : public QObject
{
    Q_OBJECT

private:
    QDateTime FNow;

private Q_SLOTS:
    void init()
    {
        FNow = QDateTime(QDate(2026, 12, 6), QTime(23, 59, 58));
        SetLogClock([this] { return FNow; });
    }
    void cleanup() { SetLogClock({}); }

    void logEntryFormatDayFileAndAppending()
    {
        TTestFolder folder;
        WriteLog(QStringLiteral("第一"));
        FNow = FNow.addSecs(1);
        WriteLog(QStringLiteral("second\r\nline"));
        const QByteArray bytes = folder.ReadFile(QStringLiteral("Log20261206.log"));
        QStringDecoder decoder(QStringConverter::System);
        const QString text = decoder(bytes);
        QCOMPARE(text, QStringLiteral("2026-12-06 23:59:58：第一\r\n"
                                      "2026-12-06 23:59:59：second\r\nline\r\n"));

        // The first entry after midnight starts the next day's file.
        FNow = FNow.addSecs(1);
        WriteLog(QStringLiteral("next"));
        QCOMPARE(decoder(folder.ReadFile(QStringLiteral("Log20261207.log"))),
                 QStringLiteral("2026-12-07 00:00:00：next\r\n"));
        QCOMPARE(folder.ReadFile(QStringLiteral("Log20261206.log")), bytes);
        // Readable by the user alone.
        QCOMPARE(QFileInfo(folder.Path() + QStringLiteral("Log20261207.log")).permissions() &
                     ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
    }

    void logIntoUnwritableFolderIsQuiet()
    {
        TTestFolder folder;
        SetAppPath(folder.Path() + QStringLiteral("missing/folder"));
        WriteLog(QStringLiteral("lost")); // must neither throw nor create anything
        QVERIFY(!QFile::exists(folder.Path() + QStringLiteral("missing")));

        TScriptedDialogs dialogs;
        ShowDbError(dialogs, QStringLiteral("H"), QStringLiteral("D"), QStringLiteral("select 1"));
        QCOMPARE(dialogs.Boxes.size(), 1); // the error is still shown
    }

    void dbErrorBoxAndLog()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        ShowDbError(dialogs, QStringLiteral("数据库操作失败！"), QStringLiteral("no such table: X"),
                    QStringLiteral("delete from X@#@delete from Y"));
        QCOMPARE(dialogs.Boxes.size(), 1);
        QCOMPARE(dialogs.Boxes[0].Caption, QStringLiteral("错误"));
        QCOMPARE(dialogs.Boxes[0].Kind, TBoxKind::Error);
        QCOMPARE(dialogs.Boxes[0].Text,
                 QStringLiteral("数据库操作失败！\r\n详细信息：no such table: X"));
        QStringDecoder decoder(QStringConverter::System);
        QCOMPARE(decoder(folder.ReadFile(LogFileName(FNow))),
                 QStringLiteral("2026-12-06 23:59:58：数据库操作失败！\r\n详细信息：no such "
                                "table: X\r\ndelete from X@#@delete from Y\r\n"));

        // Without a statement nothing is logged.
        ShowDbError(dialogs, QStringLiteral("数据库连接失败！"), QStringLiteral("x"), QString());
        QCOMPARE(folder.ReadFile(LogFileName(FNow)).count("\r\n"), 3);
    }

    void boxCaptions()
    {
        TScriptedDialogs dialogs;
        dialogs.Answers << true;
        ShowInfo(dialogs, QStringLiteral("i"));
        QVERIFY(AskYesNo(dialogs, QStringLiteral("q")));
        QVERIFY(!AskYesNo(dialogs, QStringLiteral("unscripted"))); // No unless the user says Yes
        ShowError(dialogs, QStringLiteral("e"));
        QCOMPARE(dialogs.Boxes[0].Caption, QStringLiteral("提示"));
        QCOMPARE(dialogs.Boxes[0].Kind, TBoxKind::Information);
        QCOMPARE(dialogs.Boxes[1].Caption, QStringLiteral("确认"));
        QCOMPARE(dialogs.Boxes[1].Kind, TBoxKind::Question);
        QCOMPARE(dialogs.Boxes[3].Caption, QStringLiteral("错误"));
        QCOMPARE(dialogs.Boxes[3].Kind, TBoxKind::Error);
    }

    void handlerShowsPlainErrorsAndDropsAbort()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TCardException handler(dialogs);
        RunGuarded([] { throw ECardError(QStringLiteral("网址不能为空！")); });
        RunGuarded([] { throw EAbort(); });
        RunGuarded([] { throw std::runtime_error("plain"); });
        QCOMPARE(dialogs.Texts(),
                 QStringList({QStringLiteral("网址不能为空！"), QStringLiteral("plain")}));
        QVERIFY(!QFile::exists(folder.Path() + LogFileName(FNow)));
    }

    void handlerShowsAndLogsDatabaseErrors()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TCardException handler(dialogs);
        RunGuarded([] {
            throw EDBException(QStringLiteral("boom"), QStringLiteral("数据库查询错误，请检查！"),
                               QStringLiteral("select x"));
        });
        QCOMPARE(dialogs.Texts(),
                 QStringList(QStringLiteral("数据库查询错误，请检查！\r\n详细信息：boom")));
        QVERIFY(folder.ReadFile(LogFileName(FNow)).endsWith("select x\r\n"));
    }

    void errorInDialogOkHandlerKeepsDialogOpen()
    {
        TScriptedDialogs dialogs;
        TCardException handler(dialogs);
        QDialog dialog;
        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        int presses = 0;
        ConnectGuarded(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
            if (++presses == 1)
                throw ECardError(QStringLiteral("名称不能为空!"));
            dialog.accept();
        });
        bool stillOpenAfterError = false;
        QTimer::singleShot(0, &dialog, [&] {
            buttons->button(QDialogButtonBox::Ok)->click();
            stillOpenAfterError = dialog.isVisible();
            buttons->button(QDialogButtonBox::Ok)->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(stillOpenAfterError);
        QCOMPARE(dialogs.Texts(), QStringList(QStringLiteral("名称不能为空!")));
    }

    void realQuestionBoxDefaultsToNo()
    {
        TQtUserDialogs real;
        TModalDriver modals;
        modals.When<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
        QVERIFY(!real.MessageBox(TBoxKind::Question, QStringLiteral("确认"), QStringLiteral("?")));
    }

    // A box with a path as deep as a hostile tree makes, or a thousand lines, fits the screen and
    // keeps the whole text; a long sentence is not cut.
    void realBoxFitsTheScreen()
    {
        TQtUserDialogs real;
        TModalDriver modals;
        for (const QString& text :
             QStringList{QStringLiteral("/d").repeated(2000) + QStringLiteral(": 原因"),
                         QStringLiteral("一行\n").repeated(1000)}) {
            modals.When<QMessageBox>([&text](QMessageBox* box) {
                box->show();
                QVERIFY(box->screen()->availableGeometry().contains(QRect(QPoint(), box->size())));
                QCOMPARE(box->detailedText(), text);
                box->accept();
            });
            real.MessageBox(TBoxKind::Error, QStringLiteral("错误"), text);
        }
        // A long sentence wraps whole.
        const QString sentence = QStringLiteral("word ").repeated(60);
        QString shown;
        modals.When<QMessageBox>([&shown](QMessageBox* box) {
            shown = box->text();
            box->accept();
        });
        real.MessageBox(TBoxKind::Error, QStringLiteral("错误"), sentence);
        QCOMPARE(shown, sentence);
    }

    // The real file dialogs offer the filter's text with its pattern.
    void realFileDialogsGetTextAndPattern()
    {
        const QString filter = QStringLiteral("数据文件 (*.bat)|*.bat");
        TQtUserDialogs real;
        QStringList offered;
        TModalDriver modals;
        const auto cancel = [&offered](QFileDialog* dialog) {
            offered << dialog->nameFilters();
            dialog->reject();
        };
        modals.When<QFileDialog>(cancel);
        QCOMPARE(real.SaveFileName(filter), QString());
        modals.When<QFileDialog>(cancel);
        QCOMPARE(real.OpenFileName(filter, QString()), QString());
        QCOMPARE(offered, QStringList({QStringLiteral("数据文件 (*.bat)"),
                                       QStringLiteral("数据文件 (*.bat)")}));
        QCOMPARE(QtFileFilter(QStringLiteral("数据|*.bat;*.dat|全部|*")),
                 QStringLiteral("数据 (*.bat *.dat);;全部 (*)"));
    }

    void trimmingRemovesBlanksAndControls()
    {
        QCOMPARE(TrimBlanks(QStringLiteral(" \t\r\n a b\x01 ")), QStringLiteral("a b"));
        QVERIFY(IsBlank(QStringLiteral(" \t\x1f")));
        QVERIFY(!IsBlank(QStringLiteral("\u3000"))); // a full-width blank is a character
    }

    void appPathEndsWithSeparator()
    {
        SetAppPath(QStringLiteral("/tmp/x/"));
        QCOMPARE(AppPath(), QStringLiteral("/tmp/x/"));
        SetAppPath(QStringLiteral("/tmp/x"));
        QCOMPARE(AppPath(), QStringLiteral("/tmp/x/"));
        SetAppPath(QString());
    }
};

QTEST_MAIN(TestCommon)
#include "tst_common.moc"
