#include "DialogChecks.h"
#include "ModalDriver.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "common/CardException.h"
#include "common/DailyLog.h"
#include "common/Errors.h"
#include "data/DbAccess.h"
#include "data/FileKey.h"
#include "data/Reencrypt.h"
#include "data/Sqlite.h"
#include "settings/BackupCommands.h"
#include "settings/Config.h"
#include "settings/FormConfig.h"
#include "settings/FormPass.h"
#include "settings/Login.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>

namespace {

// Scripts the password prompts' answers: an empty one cancels.
void Script(TScriptedDialogs& dialogs, const QStringList& answers)
{
    for (const QString& answer : answers)
        dialogs.Passwords << (answer.isEmpty() ? std::nullopt : std::optional(answer));
}

// Opens the settings dialog, runs the action on it, and closes it if the action left it open.
// Returns whether the action ran.
bool WithConfigDialog(TConfig& config, TUserDialogs& dialogs,
                      const std::function<void(TFormConfig&)>& action)
{
    TModalDriver modals;
    bool ran = false;
    modals.When<TFormConfig>([&](TFormConfig* form) {
        ran = true;
        action(*form);
        if (form->isVisible())
            form->btnCancel->click();
    });
    ShowConfigDialog(config, dialogs);
    return ran;
}

void StoreSettings(TDbAccess& db, const QString& assignments)
{
    db.ExecuteBatch(QStringLiteral("update SysSet set ") + assignments);
}

// The stored row as "bPass|PassWord", bPass as the integer the column holds.
QString StoredSettings(TDbAccess& db)
{
    db.OpenQuery(QStringLiteral("select typeof(bPass) as t, bPass, PassWord from SysSet"));
    const TResultSet& set = db.QuerySet();
    if (set.RecordCount() != 1)
        return QStringLiteral("rows: %1").arg(set.RecordCount());
    return set.AsString(QStringLiteral("t")) + QLatin1Char('|') +
           set.AsString(QStringLiteral("bPass")) + QLatin1Char('|') +
           set.AsString(QStringLiteral("PassWord"));
}

void SetConfig(TConfig& config, bool pass, const QString& password)
{
    config.bPass = pass;
    config.PassWord = password;
}

const QString WrongPassword = QStringLiteral("密码输入错误!");

} // namespace

// A settings dialog or the password prompt, built over the current settings.
std::unique_ptr<TFormBaseDlg> NewDialog(TConfig& config, TUserDialogs& dialogs, const QString& kind)
{
    if (kind == QLatin1String("settings"))
        return std::make_unique<TFormConfig>(config, dialogs);
    auto form = std::make_unique<TFormPass>(dialogs);
    form->SetNote(QStringLiteral("note"));
    return form;
}

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfigHome.path())); }

    void promptLooks()
    {
        TScriptedDialogs dialogs;
        TFormPass form(dialogs);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QStringLiteral("请输入密码"));
        QCOMPARE(form.lblPass->text(), QStringLiteral("输入密码"));
        QCOMPARE(form.focusWidget(), form.edtPass);
        QTest::keyClicks(form.edtPass, QStringLiteral("a b"));
        QCOMPARE(form.edtPass->displayText(), QStringLiteral("***"));
    }

    // Every label is its field's buddy, every control is named and reached with Tab; with a
    // larger font no caption is cut.
    void dialogsNamedAndReachable_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("scale");
        QTest::newRow("settings") << QStringLiteral("settings") << 1.0;
        QTest::newRow("settings, large font") << QStringLiteral("settings") << 2.5;
        QTest::newRow("password, large font") << QStringLiteral("password") << 2.5;
    }

    void dialogsNamedAndReachable()
    {
        QFETCH(QString, kind);
        QFETCH(double, scale);
        TScriptedDialogs dialogs;
        TTestFolder folder;
        TConfig config(folder.Connect());
        const TScaledFont font(scale);
        const std::unique_ptr<TFormBaseDlg> dialog = NewDialog(config, dialogs, kind);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        VerifyControls(dialog.get(), {dialog->Body, dialog->pnlBottom});
    }

    // Only the exact text passes; each refusal is reported and the same prompt stays open with
    // what was typed.
    void promptComparesExactly()
    {
        TScriptedDialogs dialogs;
        // Every try is typed into the edit as it is left: a wrong entry must be wiped.
        Script(dialogs, {QStringLiteral("secret"), QStringLiteral(" Secret"),
                         QStringLiteral("Secret "), QStringLiteral("Secret")});
        QCOMPARE(
            AskPassword(dialogs, QStringLiteral("Secret"), QStringLiteral("先输入密码登录软件")),
            mrOK);
        QCOMPARE(dialogs.Prompts, QStringList(QStringLiteral("先输入密码登录软件")));
        QCOMPARE(dialogs.Texts(), QStringList({WrongPassword, WrongPassword, WrongPassword}));
    }

    void promptResults()
    {
        TScriptedDialogs dialogs;
        dialogs.Passwords << QString();
        QCOMPARE(AskPassword(dialogs, QString(), QString()), mrOK);
        QCOMPARE(dialogs.Prompts, QStringList(QStringLiteral("请输入密码")));
        Script(dialogs, {QStringLiteral("x"), QString()});
        QCOMPARE(AskPassword(dialogs, QStringLiteral("y"), QString()), mrCancel);
        // An empty expected password is not matched by a typed one.
        Script(dialogs, {QStringLiteral(" "), QString()});
        QCOMPARE(AskPassword(dialogs, QString(), QString()), mrCancel);
        QCOMPARE(dialogs.Texts(), QStringList({WrongPassword, WrongPassword}));
    }

    void configStatements()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        SetConfig(config, true, QStringLiteral("a'b "));
        config.SaveConfig();
        QCOMPARE(StoredSettings(folder.Db()), QStringLiteral("integer|-1|a'b "));

        // Whatever the password holds is stored exactly.
        const QString password = QStringLiteral("it's \"我\" @#@ \\n\r\n%s");
        config.PassWord = password;
        config.SaveConfig();
        QCOMPARE(StoredSettings(folder.Db()), QStringLiteral("integer|-1|") + password);

        SetConfig(config, false, QString());
        config.LoadConfig();
        QVERIFY(config.bPass);
        QCOMPARE(config.PassWord, password);

        config.bPass = false;
        config.SaveConfig();
        QCOMPARE(StoredSettings(folder.Db()), QStringLiteral("integer|0|") + password);
        config.LoadConfig();
        QVERIFY(!config.bPass);
    }

    void emptySysSet()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        folder.Db().ExecuteBatch(QStringLiteral("delete from SysSet"));
        SetConfig(config, true, QStringLiteral("x"));
        config.LoadConfig();
        QVERIFY(!config.bPass);
        QCOMPARE(config.PassWord, QString());
        QVERIFY(LoginAtStart(config, dialogs));

        QVERIFY(WithConfigDialog(config, dialogs, [](TFormConfig& form) {
            form.chkPass->click();
            form.edtPass->setText(QStringLiteral("pw"));
            form.edtRePass->setText(QStringLiteral("pw"));
            form.btnOK->click();
            QVERIFY(!form.isVisible());
        }));
        QCOMPARE(StoredSettings(folder.Db()), QStringLiteral("rows: 0"));
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    void dialogOpensWithSettings_data()
    {
        QTest::addColumn<bool>("pass");
        QTest::addColumn<QString>("password");
        QTest::newRow("on") << true << QStringLiteral("pw");
        QTest::newRow("off") << false << QString();
    }

    void dialogOpensWithSettings()
    {
        QFETCH(bool, pass);
        QFETCH(QString, password);
        TScriptedDialogs dialogs;
        TTestFolder folder;
        TConfig config(folder.Connect());
        SetConfig(config, pass, password);
        QVERIFY(WithConfigDialog(config, dialogs, [&](TFormConfig& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("软件设置"));
            QCOMPARE(form.chkPass->text(), QStringLiteral("登录需输入密码"));
            QCOMPARE(form.lblPass->text(), QStringLiteral("密码"));
            QCOMPARE(form.lblRePass->text(), QStringLiteral("再输入次"));
            QCOMPARE(form.chkPass->isChecked(), pass);
            QCOMPARE(form.edtPass->text(), password);
            QCOMPARE(form.edtRePass->text(), password);
            QVERIFY(form.edtPass->isEnabled());
            QVERIFY(form.edtRePass->isEnabled());
            QCOMPARE(form.edtRePass->echoMode(), QLineEdit::Password);

            // Clearing the box empties and disables the edits; ticking it brings the stored
            // password back.
            if (!form.chkPass->isChecked())
                form.chkPass->click();
            form.edtPass->setText(QStringLiteral("typed"));
            form.chkPass->click();
            QCOMPARE(form.edtPass->text(), QString());
            QCOMPARE(form.edtRePass->text(), QString());
            QVERIFY(!form.edtPass->isEnabled());
            QVERIFY(!form.edtRePass->isEnabled());
            form.chkPass->click();
            QCOMPARE(form.edtPass->text(), password);
            QCOMPARE(form.edtRePass->text(), password);
            QVERIFY(form.edtPass->isEnabled());
        }));
    }

    // Refused entries: the message, the focus in the password edit, the dialog open and nothing
    // stored.
    void dialogRefuses_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank") << QStringLiteral(" \t ") << QStringLiteral(" \t ")
                               << QStringLiteral("密码不能为空!");
        QTest::newRow("differ") << QStringLiteral("abcd") << QStringLiteral("abce")
                                << QStringLiteral("两次输入的密码不一样,请重新输入!");
    }

    void dialogRefuses()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, message);
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        StoreSettings(folder.Db(), QStringLiteral("bPass='0',PassWord=''"));
        const QString before = StoredSettings(folder.Db());
        QVERIFY(WithConfigDialog(config, dialogs, [&](TFormConfig& form) {
            form.chkPass->click();
            form.edtPass->setText(first);
            form.edtRePass->setText(second);
            form.edtRePass->setFocus();
            form.btnOK->click();
            QVERIFY(form.isVisible());
            QCOMPARE(form.focusWidget(), form.edtPass);
        }));
        QCOMPARE(dialogs.Texts(), QStringList(message));
        QCOMPARE(StoredSettings(folder.Db()), before);
        QVERIFY(!config.bPass);
    }

    void dialogSaves_data()
    {
        QTest::addColumn<bool>("pass");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("tick");       // the box as the user leaves it
        QTest::addColumn<QString>("entered"); // typed into both edits when ticked, else edtPass
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("result"); // "bPass|PassWord" stored afterwards

        const QString old = QStringLiteral("Old pw");
        const QString oldCaption = QStringLiteral("请先输入旧密码");
        const QString offCaption = QStringLiteral("请先输入密码才可以取消登录密码");
        QTest::newRow("first password")
            << false << QString() << true << QStringLiteral(" new ") << QStringList()
            << QStringList() << true << QStringLiteral("-1| new ");
        QTest::newRow("same password") << true << old << true << old << QStringList()
                                       << QStringList() << true << QStringLiteral("-1|") + old;
        QTest::newRow("changed, old given")
            << true << old << true << QStringLiteral("new") << QStringList{old}
            << QStringList{oldCaption} << true << QStringLiteral("-1|new");
        QTest::newRow("changed, cancelled")
            << true << old << true << QStringLiteral("new") << QStringList{QString()}
            << QStringList{oldCaption} << false << QStringLiteral("-1|") + old;
        QTest::newRow("switched off") << true << old << false << QString() << QStringList{old}
                                      << QStringList{offCaption} << true << QStringLiteral("0|");
        QTest::newRow("off, password typed")
            << false << QString() << false << QStringLiteral("typed") << QStringList()
            << QStringList() << true << QStringLiteral("0|typed");
    }

    void dialogSaves()
    {
        QFETCH(bool, pass);
        QFETCH(QString, stored);
        QFETCH(bool, tick);
        QFETCH(QString, entered);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, captions);
        QFETCH(bool, saved);
        QFETCH(QString, result);

        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        StoreSettings(folder.Db(),
                      QStringLiteral("bPass=%1,PassWord='%2'").arg(pass ? -1 : 0).arg(stored));
        config.LoadConfig();
        QCOMPARE(config.bPass, pass);

        Script(dialogs, answers);
        bool closed = false;
        QVERIFY(WithConfigDialog(config, dialogs, [&](TFormConfig& form) {
            if (form.chkPass->isChecked() != tick)
                form.chkPass->click();
            form.edtPass->setText(tick || !entered.isEmpty() ? entered : form.edtPass->text());
            if (tick)
                form.edtRePass->setText(entered);
            form.btnOK->click();
            closed = !form.isVisible();
        }));

        QCOMPARE(closed, saved);
        QCOMPARE(dialogs.Prompts, captions);
        QCOMPARE(StoredSettings(folder.Db()), QStringLiteral("integer|") + result);
        // The settings follow what is stored.
        QCOMPARE(QString::number(config.bPass ? -1 : 0) + QLatin1Char('|') + config.PassWord,
                 result);
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    // A save the database refuses is reported; the dialog stays open and neither the table nor
    // the settings take the new values.
    void failedSaveChangesNothing()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        dialogs.Passwords << QStringLiteral("pw");
        StoreSettings(folder.Db(), QStringLiteral("bPass=-1,PassWord='pw'"));
        folder.Db().ExecuteBatch(QStringLiteral("create trigger NoSave before update on SysSet "
                                                "begin select raise(abort, 'read only'); end"));
        config.LoadConfig();
        QVERIFY(WithConfigDialog(config, dialogs, [](TFormConfig& form) {
            form.chkPass->click();
            form.btnOK->click();
            QVERIFY(form.isVisible());
        }));
        QCOMPARE(dialogs.Prompts.size(), 1);
        QCOMPARE(dialogs.Boxes.size(), 1);
        QVERIFY(dialogs.Boxes[0].Text.startsWith(QStringLiteral("数据库操作失败！")));
        QVERIFY(dialogs.Boxes[0].Text.contains(QStringLiteral("read only")));
        QVERIFY(config.bPass);
        QCOMPARE(config.PassWord, QStringLiteral("pw"));
        QCOMPARE(StoredSettings(folder.Db()), QStringLiteral("integer|-1|pw"));
    }

    // A failed save is logged with its statement, but not with the password in it.
    void loggedStatementHidesPassword()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        folder.Db().ExecuteBatch(QStringLiteral("create trigger NoSave before update on SysSet "
                                                "begin select raise(abort, 'read only'); end"));
        TConfig changed(folder.Db());
        changed.bPass = true;
        changed.PassWord = QStringLiteral("Zq7'x@#@y");
        RunGuarded([&] { changed.SaveConfig(); });
        const QString log =
            QString::fromLocal8Bit(folder.ReadFile(LogFileName(QDateTime::currentDateTime())));
        QVERIFY2(log.contains(QStringLiteral("update SysSet set bPass='-1',[PassWord]='******' ")),
                 qPrintable(log));
        QVERIFY(!log.contains(QStringLiteral("Zq7")));
    }

    void login_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QStringList>("answers"); // an empty answer cancels
        QTest::addColumn<bool>("granted");
        QTest::addColumn<int>("prompts");
        QTest::newRow("off") << QStringLiteral("bPass=0,PassWord='pw'") << QStringList() << true
                             << 0;
        QTest::newRow("on, right") << QStringLiteral("bPass=-1,PassWord='pw'")
                                   << QStringList{QStringLiteral("pw")} << true << 1;
        QTest::newRow("on, cancelled")
            << QStringLiteral("bPass=-1,PassWord='pw'") << QStringList{QString()} << false << 1;
    }

    void login()
    {
        QFETCH(QString, settings);
        QFETCH(QStringList, answers);
        QFETCH(bool, granted);
        QFETCH(int, prompts);
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        StoreSettings(folder.Db(), settings);
        Script(dialogs, answers);
        QCOMPARE(LoginAtStartGuarded(config, dialogs), granted);
        QCOMPARE(dialogs.Prompts, QStringList(prompts, QStringLiteral("先输入密码登录软件")));
        QCOMPARE(config.PassWord, QStringLiteral("pw"));
    }

    // Settings that cannot be read end the program after the error is shown: the login never
    // lets it open without asking.
    void loginFailsClosed()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        folder.Db().ExecuteBatch(QStringLiteral("alter table SysSet rename to Settings"));
        QVERIFY(!LoginAtStartGuarded(config, dialogs));
        QCOMPARE(dialogs.Boxes.size(), 1);
        QVERIFY(dialogs.Boxes[0].Text.startsWith(QStringLiteral("数据库查询错误，请检查！")));
        QVERIFY(dialogs.Boxes[0].Text.contains(QStringLiteral("SysSet")));
    }

    // Encrypting asks first; then the file and the copies the program made open only with the
    // password's key, and clearing the box brings every one of them back to the standard key.
    void encryptionFollowsTheBox()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        TConfig config(db);
        TScriptedDialogs dialogs;
        StoreSettings(folder.Db(), QStringLiteral("bPass='-1',PassWord='pw'"));
        config.LoadConfig();
        DailyBackup(folder.Db(), QDate(2026, 1, 2));
        QVERIFY(QFile::copy(folder.DatabasePath(), SafetyCopyPath()));
        const QStringList files = {folder.DatabasePath(), SafetyCopyPath(),
                                   DailyBackupFolder() + QStringLiteral("/bookkeep-20260102.bat")};
        const auto openingWithStandardKey = [&files] {
            int opening = 0;
            for (const QString& file : files) {
                QString error;
                opening += DatabaseFile::Open(file, false, &error, TFileKey()) ? 1 : 0;
            }
            return opening;
        };
        const auto setEncrypt = [&config, &dialogs](bool tick) {
            return WithConfigDialog(config, dialogs, [tick](TFormConfig& form) {
                QVERIFY(form.chkEncrypt->isEnabled());
                QCOMPARE(form.chkEncrypt->isChecked(), !tick);
                form.chkEncrypt->setChecked(tick);
                form.btnOK->click();
            });
        };

        dialogs.Answers << false << true;
        QVERIFY(setEncrypt(true));
        QVERIFY(db.Key().IsStandard());
        QCOMPARE(dialogs.Boxes.size(), 1);
        QVERIFY(setEncrypt(true));
        QVERIFY(!db.Key().IsStandard());
        QCOMPARE(openingWithStandardKey(), 0);
        QCOMPARE(db.Key(), TFileKey::Derive(QStringLiteral("pw"), TFileKey::SaltOf(files[2])));

        QVERIFY(setEncrypt(false));
        QCOMPARE(dialogs.Boxes.size(), 2);
        QCOMPARE(openingWithStandardKey(), 3);
        QCOMPARE(StoredSettings(folder.Db()), QStringLiteral("integer|-1|pw"));
    }

    // An encrypted file: a wrong password is refused at the prompt, the right one opens the
    // file and is the login; Cancel opens nothing and writes nothing.
    void startWithEncryptedFile()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        StoreSettings(folder.Db(), QStringLiteral("bPass='-1',PassWord='pw'"));
        folder.Db().Rekey(TFileKey::Derive(QStringLiteral("pw"), TFileKey::NewSalt()), QString());
        folder.Db().Disconnect();
        const QByteArray before = folder.ReadFile(QStringLiteral("bookkeep.dat"));
        TScriptedDialogs dialogs;
        {
            Script(dialogs, {QStringLiteral("PW"), QString()});
            TDbAccess db;
            QCOMPARE(OpenDataFileAtStart(db, dialogs), TStartOpen::Refused);
            QVERIFY(!db.Connected());
        }
        QCOMPARE(folder.ReadFile(QStringLiteral("bookkeep.dat")), before);
        // A daily copy that an encryption cut short left under the standard key, and its staged
        // file: the start finishes the one and removes the other.
        const QString copy = DailyBackupFolder() + QStringLiteral("/bookkeep-20260101.bat");
        QVERIFY(QDir().mkpath(DailyBackupFolder()) &&
                QFile::copy(folder.DeliveredDatabase(), copy));
        folder.WriteFile(QStringLiteral("备份/bookkeep-20260101.bat.Ab12Cd-journal"), "journal");
        dialogs.Passwords << QStringLiteral("pw");
        TDbAccess db;
        QCOMPARE(OpenDataFileAtStart(db, dialogs), TStartOpen::Opened);
        QVERIFY(OpensWith(copy, db.Key()));
        QCOMPARE(QDir(DailyBackupFolder()).entryList(QDir::Files).size(), 1);
        TConfig opened(db);
        QVERIFY(LoginAtStart(opened, dialogs));
        QCOMPARE(dialogs.Prompts, QStringList(2, QStringLiteral("先输入密码登录软件")));
        QCOMPARE(dialogs.Texts(), QStringList(WrongPassword));
    }

    // A file keyed at the costs of the first version opens with its password, and the next
    // change of the password keys it at today's costs.
    void firstCostsFileTakesTodaysAtThePasswordChange()
    {
        TTestFolder folder;
        StoreSettings(folder.Connect(), QStringLiteral("bPass='-1',PassWord='pw'"));
        const QByteArray unmarked(TFileKey::SaltBytes, 'v');
        folder.Db().Rekey(TFileKey::Derive(QStringLiteral("pw"), unmarked), QString());
        folder.Db().Disconnect();
        TScriptedDialogs dialogs;
        dialogs.Passwords << QStringLiteral("pw") << QStringLiteral("pw");
        TDbAccess db;
        QCOMPARE(OpenDataFileAtStart(db, dialogs), TStartOpen::Opened);
        TConfig config(db);
        config.LoadConfig();
        QVERIFY(WithConfigDialog(config, dialogs, [](TFormConfig& form) {
            form.edtPass->setText(QStringLiteral("new"));
            form.edtRePass->setText(QStringLiteral("new"));
            form.btnOK->click();
        }));
        const QByteArray salt = TFileKey::SaltOf(folder.DatabasePath());
        QVERIFY(TFileKey::CostsOf(salt) == TFileKey::CurrentCosts());
        QVERIFY(!(TFileKey::CostsOf(unmarked) == TFileKey::CurrentCosts()));
        QCOMPARE(db.Key(), TFileKey::Derive(QStringLiteral("new"), salt));
    }

    // A backup with a password of its own: refused without it, the data file untouched; with
    // it, restored under its own key and settings.
    void restoreBackupWithItsOwnPassword()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        TConfig config(db);
        TScriptedDialogs dialogs;
        const QString backup = folder.Path() + QStringLiteral("b.bat");
        db.Rekey(TFileKey::Derive(QStringLiteral("other"), TFileKey::NewSalt()),
                 QStringLiteral("update SysSet set bPass='-1',[PassWord]='other'"));
        folder.Db().BackupTo(backup);
        db.Rekey(TFileKey(), QStringLiteral("update SysSet set bPass='0',[PassWord]=''"));
        const QByteArray before = folder.ReadFile(QStringLiteral("bookkeep.dat"));
        Script(dialogs, {QStringLiteral("Other"), QString()});
        dialogs.Answers << true;
        dialogs.FileNames << backup;
        QVERIFY_THROWS_EXCEPTION(EAbort, RestoreCommand(config, dialogs));
        QCOMPARE(dialogs.Prompts, QStringList(QStringLiteral("请输入备份文件的密码")));
        QCOMPARE(folder.ReadFile(QStringLiteral("bookkeep.dat")), before);
        dialogs.Passwords << QStringLiteral("other");
        dialogs.Answers << true;
        dialogs.FileNames << backup;
        QVERIFY(RestoreCommand(config, dialogs));
        QVERIFY(!db.Key().IsStandard());
        QCOMPARE(config.PassWord, QStringLiteral("other"));
        QCOMPARE(dialogs.Texts().count(WrongPassword), 1);
    }

private:
    QTemporaryDir FConfigHome;
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
