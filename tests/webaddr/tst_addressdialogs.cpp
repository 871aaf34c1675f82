#include "DialogChecks.h"
#include "ModalDriver.h"
#include "Palettes.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "WebAddrKit.h"

#include "common/gui/Contrast.h"
#include "controls/CardEdtBut.h"
#include "controls/FormBaseDlg.h"
#include "data/DbAccess.h"
#include "webaddr/AddressDialogs.h"
#include "webaddr/FormAddIE.h"
#include "webaddr/FormModIE.h"
#include "webaddr/IE.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace WebAddrKit;

namespace {

const QString AddTitle = QStringLiteral("新建网址");
const QString ModifyTitle = QStringLiteral("修改网址");
const QString ChooserTitle = QStringLiteral("选择组");

// Answers the choose-group dialog: picks the node with that caption and presses OK, or cancels
// when the caption is empty.
void AnswerChooser(TModalDriver& modals, const QString& caption)
{
    modals.When<TFormBaseDlg>(ChooserTitle, [caption](TFormBaseDlg* chooser) {
        if (caption.isEmpty()) {
            chooser->btnCancel->click();
            return;
        }
        auto* tree = chooser->findChild<QTreeWidget*>();
        const QList<QTreeWidgetItem*> found =
            tree ? tree->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive)
                 : QList<QTreeWidgetItem*>();
        if (found.size() == 1)
            tree->setCurrentItem(found.first());
        chooser->btnOK->click();
        // With nothing selected OK does nothing: do not leave the dialog up.
        if (chooser->isVisible())
            chooser->btnCancel->click();
    });
}

// Clicks the group button of an address dialog while the chooser is answered.
void ChooseInDialog(TModalDriver& modals, TFormBaseIE* dialog, const QString& caption)
{
    AnswerChooser(modals, caption);
    QTest::mouseClick(dialog->edtGroup->Button(), Qt::LeftButton);
}

struct TSeen
{
    QString Group;
    int GroupID = -1;
    QString Url;
    QString Name;
    QString Remark;
    bool FocusInAddress = false;
    bool Ticked = false;
    bool StillOpen = false;
};

TSeen Look(TFormBaseIE* dialog)
{
    TSeen seen;
    seen.Group = dialog->edtGroup->text();
    seen.GroupID = dialog->GroupID;
    seen.Url = dialog->edtIE->text();
    seen.Name = dialog->edtName->text();
    seen.Remark = dialog->mmoRemark->toPlainText();
    seen.FocusInAddress = dialog->focusWidget() == dialog->edtIE;
    if (auto* add = qobject_cast<TFormAddIE*>(dialog))
        seen.Ticked = add->chkKeepAdding->isChecked();
    seen.StillOpen = dialog->isVisible();
    return seen;
}

std::unique_ptr<TFormBaseIE> NewAddressDialog(TIE& store, TUserDialogs& dialogs,
                                              const QString& kind)
{
    if (kind == AddTitle)
        return std::make_unique<TFormAddIE>(store, dialogs);
    return std::make_unique<TFormModIE>(store, dialogs);
}

} // namespace

class TestAddressDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The clipboard fills the address only when it looks like one, and then whole.
    void clipboardPrefill_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("expected");
        const QString words = QStringLiteral("see the wwwboard for details");
        const QString twoLines = QStringLiteral("http://example.org/a\nsecond line");
        const QString padded = QStringLiteral("  example.net \t");
        QTest::newRow("words with www") << words << words;
        QTest::newRow("two lines") << twoLines << twoLines;
        QTest::newRow("blanks kept") << padded << padded;
        QTest::newRow(".cn") << QStringLiteral("news.example.cn")
                             << QStringLiteral("news.example.cn");
        QTest::newRow("capitals") << QStringLiteral("WWW.EXAMPLE.COM") << QString();
        QTest::newRow("plain words") << QStringLiteral("gov com net") << QString();
        QTest::newRow("no text (a picture)") << QString() << QString();
    }

    void clipboardPrefill()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, expected);
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        dialogs.Clipboard = clipboard;
        QCOMPARE(ReadClipboardUrl(dialogs), expected);

        TModalDriver modals;
        TSeen seen;
        modals.When<TFormBaseDlg>(AddTitle, [&](TFormBaseDlg* dialog) {
            seen = Look(qobject_cast<TFormBaseIE*>(dialog));
            dialog->btnCancel->click();
        });
        QCOMPARE(ShowAddAddress(store, dialogs, 5, QStringLiteral("工作")), mrCancel);
        QCOMPARE(seen.Url, expected);
        QCOMPARE(seen.Group, QStringLiteral("工作"));
        QCOMPARE(seen.GroupID, 5);
        QVERIFY(seen.FocusInAddress);
        QVERIFY(!seen.Ticked);
        QVERIFY(Rows(folder.Db()).isEmpty());
    }

    // A blank address is refused and not opened; blanks around an address are kept, both when
    // opening and when saving, and the remark keeps its line breaks.
    void blankAddressRefused()
    {
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        TModalDriver modals;
        TSeen afterRefusal;
        modals.When<TFormBaseDlg>(AddTitle, [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormAddIE*>(base);
            dialog->edtIE->setText(QStringLiteral(" \t "));
            QTest::mouseClick(dialog->imgOpen, Qt::LeftButton);
            dialog->btnOK->click();
            afterRefusal = Look(dialog);

            dialog->edtIE->setText(QStringLiteral(" www.example.cn "));
            dialog->edtName->setText(QStringLiteral("it's \"例子\""));
            dialog->mmoRemark->setPlainText(QStringLiteral("first @#@ line\nsecond line"));
            QTest::mouseClick(dialog->imgOpen, Qt::LeftButton);
            dialog->btnOK->click();
        });
        QCOMPARE(ShowAddAddress(store, dialogs, 3, QStringLiteral("工作")), mrOK);

        QVERIFY(afterRefusal.StillOpen);
        QCOMPARE(dialogs.Texts().value(0), QStringLiteral("网址不能为空！"));
        QCOMPARE(dialogs.Texts().size(), 1);
        QCOMPARE(dialogs.OpenedUrls.size(), 1);
        QCOMPARE(dialogs.OpenedUrls[0].host(), QStringLiteral("www.example.cn"));
        const QList<TRow> rows = Rows(folder.Db());
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].TypeID, 3);
        QCOMPARE(rows[0].IEUrl, QStringLiteral(" www.example.cn "));
        QCOMPARE(rows[0].IEName, QStringLiteral("it's \"例子\""));
        QCOMPARE(rows[0].ReMark, QStringLiteral("first @#@ line\nsecond line"));
    }

    // While the typed address is stored, a grey line under it says where; saving still works.
    void storedAddressNamed()
    {
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        AddGroupRow(folder.Db(), 1, 0, QStringLiteral("工作"));
        AddGroupRow(folder.Db(), 2, 1, QStringLiteral("资料"));
        AddRow(folder.Db(), 2, QStringLiteral("www.a.cn"));
        AddRow(folder.Db(), 0, QStringLiteral("www.b.cn"));
        TModalDriver modals;
        QStringList seen;
        modals.When<TFormBaseDlg>(AddTitle, [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormAddIE*>(base);
            const auto line = [&] {
                seen << (dialog->lblStoredAt->isVisible() ? dialog->lblStoredAt->text()
                                                          : QString());
            };
            QTest::keyClicks(dialog->edtIE, QStringLiteral("www.a.c"));
            line();
            QTest::keyClicks(dialog->edtIE, QStringLiteral("n"));
            line();
            dialog->edtIE->setText(QStringLiteral("www.b.cn "));
            line();
            dialog->btnOK->click();
        });
        QCOMPARE(ShowAddAddress(store, dialogs, 0, QString()), mrOK);
        QCOMPARE(seen, QStringList({QString(), QStringLiteral("已保存在：全部->工作->资料"),
                                    QStringLiteral("已保存在：全部")}));
        QCOMPARE(Rows(folder.Db()).size(), 3);
    }

    // With "保存后继续新建" ticked every OK saves and empties the texts; the dialog then ends with
    // Cancel although rows were added.
    void continueWithNew()
    {
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        TModalDriver modals;
        QList<TSeen> seen;
        modals.When<TFormBaseDlg>(AddTitle, [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormAddIE*>(base);
            dialog->chkKeepAdding->setChecked(true);
            for (const QString& url :
                 {QStringLiteral("www.one.cn"), QStringLiteral("www.two.cn")}) {
                dialog->edtIE->setText(url);
                dialog->edtName->setText(url.mid(4, 3));
                dialog->mmoRemark->setPlainText(QStringLiteral("remark"));
                dialog->btnOK->click();
                seen << Look(dialog);
            }
            dialog->btnCancel->click();
        });
        QCOMPARE(ShowAddAddress(store, dialogs, 4, QStringLiteral("学习")), mrCancel);

        QCOMPARE(seen.size(), 2);
        for (const TSeen& after : seen) {
            QVERIFY(after.StillOpen);
            QVERIFY(after.Ticked);
            QCOMPARE(after.Url, QString());
            QCOMPARE(after.Name, QString());
            QCOMPARE(after.Remark, QString());
            QCOMPARE(after.Group, QStringLiteral("学习"));
            QCOMPARE(after.GroupID, 4);
            QVERIFY(after.FocusInAddress);
        }
        const QList<TRow> rows = Rows(folder.Db());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].IEUrl, QStringLiteral("www.one.cn"));
        QCOMPARE(rows[1].IEUrl, QStringLiteral("www.two.cn"));
        QCOMPARE(rows[1].IEName, QStringLiteral("two"));
        QCOMPARE(rows[0].TypeID, 4);
        QCOMPARE(rows[1].TypeID, 4);
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    // The chooser's answer becomes the dialog's group; a cancelled chooser changes nothing; the
    // root is "全部" and number 0.
    void chooserAnswerWrittenIntoDialog()
    {
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        AddGroupRow(folder.Db(), 1, 0, QStringLiteral("工作"));
        AddGroupRow(folder.Db(), 2, 1, QStringLiteral("项目"));
        TModalDriver modals;
        QList<TSeen> seen;
        modals.When<TFormBaseDlg>(AddTitle, [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormBaseIE*>(base);
            dialog->edtName->setFocus();
            ChooseInDialog(modals, dialog, QStringLiteral("项目"));
            seen << Look(dialog);
            ChooseInDialog(modals, dialog, QString());
            seen << Look(dialog);
            ChooseInDialog(modals, dialog, QStringLiteral("全部"));
            seen << Look(dialog);
            dialog->edtIE->setText(QStringLiteral("www.root.cn"));
            dialog->btnOK->click();
        });
        QCOMPARE(ShowAddAddress(store, dialogs, 1, QStringLiteral("工作")), mrOK);

        QCOMPARE(seen.size(), 3);
        QCOMPARE(seen[0].Group, QStringLiteral("项目"));
        QCOMPARE(seen[0].GroupID, 2);
        QVERIFY(seen[0].FocusInAddress);
        QCOMPARE(seen[1].Group, QStringLiteral("项目"));
        QCOMPARE(seen[1].GroupID, 2);
        QVERIFY(seen[1].FocusInAddress);
        QCOMPARE(seen[2].Group, QStringLiteral("全部"));
        QCOMPARE(seen[2].GroupID, 0);
        QCOMPARE(Rows(folder.Db()).value(0).TypeID, 0);
    }

    // The modify dialog shows the stored address and moves it to the chosen group; what the
    // user leaves alone is saved back exactly, stored line breaks included.
    void modifyMovesAddress()
    {
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        AddGroupRow(folder.Db(), 1, 0, QStringLiteral("工作"));
        AddGroupRow(folder.Db(), 2, 0, QStringLiteral("娱乐"));
        const QString remark = QStringLiteral("line 1\r\nline 2");
        const QString id =
            AddRow(folder.Db(), 1, QStringLiteral("www.a.cn"), QStringLiteral("it's A"), remark);
        const QString other =
            AddRow(folder.Db(), 1, QStringLiteral("www.b.cn"), QStringLiteral("B"));
        TModalDriver modals;
        TSeen shown;
        modals.When<TFormBaseDlg>(ModifyTitle, [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormModIE*>(base);
            shown = Look(dialog);
            ChooseInDialog(modals, dialog, QStringLiteral("娱乐"));
            dialog->edtName->setText(QStringLiteral("A'"));
            dialog->btnOK->click();
        });
        QCOMPARE(ShowModifyAddress(store, dialogs, id), mrOK);

        QCOMPARE(shown.Group, QStringLiteral("工作"));
        QCOMPARE(shown.GroupID, 1);
        QCOMPARE(shown.Url, QStringLiteral("www.a.cn"));
        QCOMPARE(shown.Name, QStringLiteral("it's A"));
        QCOMPARE(shown.Remark, QStringLiteral("line 1\nline 2"));
        QVERIFY(shown.FocusInAddress);
        const QList<TRow> rows = Rows(folder.Db());
        QCOMPARE(rows[0].ID, id);
        QCOMPARE(rows[0].TypeID, 2);
        QCOMPARE(rows[0].IEUrl, QStringLiteral("www.a.cn"));
        QCOMPARE(rows[0].IEName, QStringLiteral("A'"));
        QCOMPARE(rows[0].ReMark, remark);
        QCOMPARE(rows[1].ID, other);
        QCOMPARE(rows[1].TypeID, 1);
        QCOMPARE(rows[1].IEName, QStringLiteral("B"));

        // An edited remark is saved as the memo holds it; Cancel saves nothing.
        modals.When<TFormBaseDlg>(ModifyTitle, [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormModIE*>(base);
            dialog->mmoRemark->setPlainText(QStringLiteral("new\nremark"));
            dialog->edtIE->setText(QStringLiteral("   "));
            dialog->btnOK->click();
            dialog->btnCancel->click();
        });
        QCOMPARE(ShowModifyAddress(store, dialogs, id), mrCancel);
        QCOMPARE(dialogs.Texts(), QStringList({QStringLiteral("网址不能为空！")}));
        QCOMPARE(Rows(folder.Db()).value(0).ReMark, remark);
        modals.When<TFormBaseDlg>(ModifyTitle, [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormModIE*>(base);
            dialog->mmoRemark->setPlainText(QStringLiteral("new\nremark"));
            dialog->btnOK->click();
        });
        QCOMPARE(ShowModifyAddress(store, dialogs, id), mrOK);
        QCOMPARE(Rows(folder.Db()).value(0).ReMark, QStringLiteral("new\nremark"));
    }

    // Every field is named and labelled; Tab reaches every control but the group field, which F4
    // opens. With a larger font the dialog grows so that nothing is cut; with the usual font it
    // keeps its size.
    void fieldsNamedReachableAndWhole_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("scale");
        QTest::newRow("new, usual font") << AddTitle << 1.0;
        QTest::newRow("new, large font") << AddTitle << 2.5;
        QTest::newRow("modify, large font") << ModifyTitle << 2.5;
    }

    void fieldsNamedReachableAndWhole()
    {
        QFETCH(QString, kind);
        QFETCH(double, scale);
        TScriptedDialogs dialogs;
        const TScaledFont font(scale);
        TDbAccess unconnected;
        TIE store(unconnected);
        const std::unique_ptr<TFormBaseIE> dialog = NewAddressDialog(store, dialogs, kind);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        if (scale == 1.0)
            QCOMPARE(dialog->size(), QSize(408, 300));
        VerifyControls(dialog.get(), {dialog->Body, dialog->pnlBottom}, {dialog->edtGroup});
        QCOMPARE(QAccessible::queryAccessibleInterface(dialog->imgOpen)->role(),
                 QAccessible::Button);
        QCOMPARE(AccessibleName(dialog->edtGroup->Button()), QStringLiteral("选择分组"));
        QVERIFY(dialog->mmoRemark->height() >= 4 * dialog->mmoRemark->fontMetrics().lineSpacing());
    }

    // The address and the grey line under it read well on a light and on a dark palette; the
    // light one keeps the blue address.
    void coloursReadable_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("blue");
        QTest::newRow("light") << LightPalette() << true;
        QTest::newRow("dark") << DarkPalette() << false;
    }

    void coloursReadable()
    {
        QFETCH(QPalette, palette);
        QFETCH(bool, blue);
        TScriptedDialogs dialogs;
        const QPalette before = QApplication::palette();
        QApplication::setPalette(palette);
        TDbAccess unconnected;
        TIE store(unconnected);
        TFormAddIE dialog(store, dialogs);
        QApplication::setPalette(before);
        const QPalette address = dialog.edtIE->palette();
        QVERIFY(ContrastRatio(address.color(QPalette::Text), address.color(QPalette::Base)) >=
                ReadableContrast);
        QCOMPARE(address.color(QPalette::Text) == QColor(Qt::blue), blue);
        const QPalette stored = dialog.lblStoredAt->palette();
        QVERIFY(ContrastRatio(stored.color(QPalette::WindowText), stored.color(QPalette::Window)) >=
                ReadableContrast);
    }

    // In the dialog the group field opens the chooser with F4 and Alt+Down and is passed over by
    // the Tab key, which goes from field to field; Ctrl+Enter in the remark is OK.
    void dialogKeys()
    {
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        AddGroupRow(folder.Db(), 1, 0, QStringLiteral("工作"));
        AddGroupRow(folder.Db(), 2, 0, QStringLiteral("娱乐"));
        TModalDriver modals;
        bool groupSkipped = false;
        modals.When<TFormBaseDlg>(AddTitle, [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormAddIE*>(base);
            AnswerChooser(modals, QStringLiteral("工作"));
            QTest::keyClick(dialog->edtIE, Qt::Key_F4);
            AnswerChooser(modals, QStringLiteral("娱乐"));
            QTest::keyClick(dialog->edtIE, Qt::Key_Down, Qt::AltModifier);
            dialog->edtIE->setFocus();
            QTest::keyClick(dialog->edtIE, Qt::Key_Backtab, Qt::ShiftModifier);
            groupSkipped =
                dialog->focusWidget() != dialog->edtIE && dialog->focusWidget() != dialog->edtGroup;
            dialog->edtIE->setFocus();
            for (const QString& text : {QStringLiteral("www.keys.cn"), QStringLiteral("title"),
                                        QStringLiteral("remark")}) {
                QTest::keyClicks(dialog->focusWidget(), text);
                QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
            }
            QTest::keyClick(dialog->mmoRemark, Qt::Key_Return, Qt::ControlModifier);
        });
        QCOMPARE(ShowAddAddress(store, dialogs, 0, QString()), mrOK);
        QVERIFY(groupSkipped);
        QCOMPARE(Rows(folder.Db()).size(), 1);
        QCOMPARE(Rows(folder.Db()).value(0).TypeID, 2);
        QCOMPARE(Rows(folder.Db()).value(0).IEName, QStringLiteral("title"));
        QCOMPARE(Rows(folder.Db()).value(0).ReMark, QStringLiteral("remark"));
    }

    // Long texts pass through the dialog whole, also when only another field was changed.
    void longTextsAreNotCut()
    {
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        const QString url = QStringLiteral("www.a.cn/") + QString(40000, QLatin1Char('u'));
        const QString name = QString(40000, QLatin1Char('n'));
        const QString id = AddRow(folder.Db(), 0, url, name);
        TModalDriver modals;
        modals.When<TFormBaseDlg>(ModifyTitle, [&](TFormBaseDlg* base) {
            qobject_cast<TFormModIE*>(base)->mmoRemark->setPlainText(QStringLiteral("r"));
            base->btnOK->click();
        });
        QCOMPARE(ShowModifyAddress(store, dialogs, id), mrOK);
        QCOMPARE(Rows(folder.Db()).value(0).IEUrl, url);
        QCOMPARE(Rows(folder.Db()).value(0).IEName, name);
    }

    void modifyAddressInRoot()
    {
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        const QString id = AddRow(folder.Db(), 0, QStringLiteral("www.root.cn"));
        // A group number that names no group shows as the root but is kept.
        const QString orphan = AddRow(folder.Db(), 9, QStringLiteral("www.orphan.cn"));
        TModalDriver modals;
        QList<TSeen> shown;
        for (int i = 0; i < 2; ++i)
            modals.When<TFormBaseDlg>(ModifyTitle, [&](TFormBaseDlg* base) {
                shown << Look(qobject_cast<TFormBaseIE*>(base));
                base->btnOK->click();
            });
        QCOMPARE(ShowModifyAddress(store, dialogs, id), mrOK);
        QCOMPARE(ShowModifyAddress(store, dialogs, orphan), mrOK);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0].Group, QStringLiteral("全部"));
        QCOMPARE(shown[0].GroupID, 0);
        QCOMPARE(shown[1].Group, QStringLiteral("全部"));
        QCOMPARE(Rows(folder.Db()).value(1).TypeID, 9);
    }

    // A failing save shows the database error and leaves the dialog open with its contents.
    void failingSaveKeepsDialog()
    {
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        TModalDriver modals;
        TSeen after;
        modals.When<TFormBaseDlg>(AddTitle, [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormBaseIE*>(base);
            dialog->edtIE->setText(QStringLiteral("www.a.cn"));
            folder.Db().ExecuteBatch(QStringLiteral("alter table IE rename to IEGone"));
            dialog->btnOK->click();
            after = Look(dialog);
            folder.Db().ExecuteBatch(QStringLiteral("alter table IEGone rename to IE"));
            dialog->btnOK->click();
        });
        QCOMPARE(ShowAddAddress(store, dialogs, 0, QStringLiteral("全部")), mrOK);
        QVERIFY(after.StillOpen);
        QCOMPARE(after.Url, QStringLiteral("www.a.cn"));
        QCOMPARE(dialogs.Boxes.size(), 1);
        QVERIFY(dialogs.Texts()[0].startsWith(QStringLiteral("数据库操作失败！")));
        QCOMPARE(Rows(folder.Db()).size(), 1);
    }
};

#include "tst_addressdialogs.moc"

QTEST_MAIN(TestAddressDialogs)
