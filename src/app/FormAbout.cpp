#include "app/FormAbout.h"

#include "app/SyncedFolder.h"
#include "common/AppPath.h"
#include "common/CardException.h"
#include "common/Messages.h"
#include "common/gui/AccessibleName.h"
#include "data/DbAccess.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QString ProgramVersion()
{
    return QStringLiteral(VELMORA_VERSION);
}

namespace {

QString DataFolder()
{
    return QDir::toNativeSeparators(QDir(AppPath()).absolutePath());
}

bool DataFileEncrypted(const TDbAccess& dbAccess)
{
    // The key the open file was unlocked with says it; the settings dialog reads it the same way.
    return dbAccess.Connected() && !dbAccess.Key().IsStandard();
}

} // namespace

TFormAbout::TFormAbout(const TDbAccess& dbAccess, TUserDialogs& dialogs, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(tr("关于 Velmora"));
    // Like the program's other dialogs: a close box only.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    lblName = new QLabel(QStringLiteral("Velmora"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    QFont large = lblName->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.5);
    lblName->setFont(large);
    lblVersion = new QLabel(tr("版本 %1").arg(ProgramVersion()), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    lblFolder = new QLabel(tr("数据文件夹(&D)："), this);
    edtFolder = new QLineEdit(DataFolder(), this);
    edtFolder->setObjectName(QStringLiteral("edtFolder"));
    edtFolder->setReadOnly(true);
    edtFolder->setAccessibleName(tr("数据文件夹"));
    edtFolder->setAccessibleDescription(tr("数据文件 bookkeep.dat 所在的文件夹"));
    edtFolder->setMinimumWidth(edtFolder->fontMetrics().horizontalAdvance(edtFolder->text()) +
                               edtFolder->fontMetrics().averageCharWidth() * 4);
    lblFolder->setBuddy(edtFolder);
    lblFolder->setAccessibleName(WithoutMnemonic(lblFolder->text()));
    lblFolder->setObjectName(QStringLiteral("lblFolder"));
    btnOpenFolder = new QPushButton(tr("打开文件夹(&O)"), this);
    btnOpenFolder->setObjectName(QStringLiteral("btnOpenFolder"));
    btnOpenFolder->setAccessibleName(tr("打开文件夹"));
    btnOpenFolder->setAccessibleDescription(tr("在文件管理器中打开数据文件夹"));

    lblEncryption = new QLabel(DataFileEncrypted(dbAccess) ? tr("数据文件已用登录密码加密。")
                                                           : tr("数据文件未用登录密码加密。"),
                               this);
    lblEncryption->setObjectName(QStringLiteral("lblEncryption"));
    // A data file in a folder a sync program keeps is at risk; the way to use several computers
    // is told here too.
    lblSynced = new QLabel(SyncedFolderNote(SyncedFolderOf(AppPath())), this);
    lblSynced->setObjectName(QStringLiteral("lblSynced"));
    lblSynced->setWordWrap(true);
    lblSynced->setVisible(!lblSynced->text().isEmpty());
    lblLicence = new QLabel(tr("本软件为专有软件，保留所有权利。"), this);
    lblLicence->setObjectName(QStringLiteral("lblLicence"));
    for (QLabel* label : {lblName, lblVersion, lblEncryption, lblSynced, lblLicence})
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);

    btnClose = new QPushButton(tr("关闭"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAccessibleName(tr("关闭"));
    btnClose->setDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnClose, QDialogButtonBox::RejectRole);

    auto* folder = new QGridLayout;
    folder->addWidget(lblFolder, 0, 0);
    folder->addWidget(edtFolder, 0, 1);
    folder->addWidget(btnOpenFolder, 0, 2);
    folder->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblName);
    layout->addWidget(lblVersion);
    layout->addSpacing(lblVersion->fontMetrics().height());
    layout->addLayout(folder);
    layout->addWidget(lblEncryption);
    layout->addWidget(lblSynced);
    layout->addSpacing(lblVersion->fontMetrics().height());
    layout->addWidget(lblLicence);
    layout->addStretch(1);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    setTabOrder(edtFolder, btnOpenFolder);
    setTabOrder(btnOpenFolder, btnClose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ConnectGuarded(btnOpenFolder, &QPushButton::clicked, this,
                   [&dialogs] { OpenUrl(dialogs, AppPath()); });
}

void ShowAboutDialog(const TDbAccess& dbAccess, TUserDialogs& dialogs, QWidget* parent)
{
    TFormAbout about(dbAccess, dialogs, parent);
    about.exec();
}
