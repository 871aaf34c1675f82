#include "app/FormSync.h"

#include "common/CardException.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/TextUtil.h"
#include "common/UserDialogs.h"
#include "data/Sqlite.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryFile>

TFormSync::TFormSync(TUserDialogs& dialogs, const QString& dataFolder, QWidget* parent)
    : TFormBaseDlg(parent), FDialogs(dialogs), FDataFolder(dataFolder)
{
    setObjectName(QStringLiteral("FormSync"));
    setWindowTitle(tr("多台电脑同步"));
    resize(460, 190);

    lblFolder = new QLabel(tr("同步文件夹"), Body);
    edtFolder = new QLineEdit(Body);
    btnBrowse = new QPushButton(tr("浏览…"), Body);
    lblName = new QLabel(tr("本机名称"), Body);
    edtName = new QLineEdit(Body);
    btnStopSync = new QPushButton(tr("停止同步"), pnlBottom);
    edtFolder->setObjectName(QStringLiteral("edtFolder"));
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    edtName->setObjectName(QStringLiteral("edtName"));
    btnStopSync->setObjectName(QStringLiteral("btnStopSync"));

    for (QLabel* label : {lblFolder, lblName})
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblFolder->setBuddy(edtFolder);
    lblName->setBuddy(edtName);
    edtFolder->setMinimumWidth(240);
    edtFolder->setAccessibleName(tr("同步文件夹"));
    edtFolder->setAccessibleDescription(
        tr("同步程序（如 Syncthing）在各台电脑间保持一致的文件夹，不能是数据文件所在的文件夹"));
    btnBrowse->setAccessibleName(tr("选择同步文件夹"));
    edtName->setAccessibleName(tr("本机名称"));
    edtName->setAccessibleDescription(tr("其他电脑上显示的这台电脑的名称"));
    btnStopSync->setAccessibleName(tr("停止同步"));
    btnBrowse->setAutoDefault(false);
    btnStopSync->setAutoDefault(false);
    FitButton(btnBrowse);
    FitButton(btnStopSync);
    // At the bar's far left, away from OK.
    if (auto* bar = qobject_cast<QBoxLayout*>(pnlBottom->layout()))
        bar->insertWidget(0, btnStopSync);

    auto* grid = new QGridLayout(Body);
    grid->setContentsMargins(24, 24, 16, 0);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(16);
    grid->addWidget(lblFolder, 0, 0);
    grid->addWidget(edtFolder, 0, 1);
    grid->addWidget(btnBrowse, 0, 2);
    grid->addWidget(lblName, 1, 0);
    grid->addWidget(edtName, 1, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    setTabOrder(edtFolder, btnBrowse);
    setTabOrder(btnBrowse, edtName);
    setTabOrder(edtName, btnOK);
    // Typing a path and Return turns sync on.
    edtFolder->setFocus();

    ConnectGuarded(btnBrowse, &QPushButton::clicked, this, [this] { btnBrowseClick(); });
    ConnectGuarded(btnStopSync, &QPushButton::clicked, this, [this] {
        FStopChosen = true;
        SetModalResult(mrOK);
    });
}

TFormSync::~TFormSync() = default;

void TFormSync::SetSettings(const TSyncSettings& settings)
{
    FSettings = settings;
    edtFolder->setText(QDir::toNativeSeparators(settings.Folder));
    edtName->setText(settings.DeviceName);
    btnStopSync->setVisible(settings.On());
}

TSyncSettings TFormSync::Settings() const
{
    TSyncSettings settings = FSettings;
    if (FStopChosen) {
        settings.Folder.clear();
        return settings;
    }
    settings.Folder = QDir::cleanPath(QDir::fromNativeSeparators(edtFolder->text().trimmed()));
    settings.DeviceName = edtName->text().trimmed();
    return settings;
}

void TFormSync::btnBrowseClick()
{
    const QString folder = FDialogs.DirectoryName();
    if (!folder.isEmpty())
        edtFolder->setText(QDir::toNativeSeparators(folder));
}

void TFormSync::RequireUsableFolder(const QString& folder) const
{
    const QFileInfo info(folder);
    if (folder.isEmpty())
        throw ECardError(tr("请填写同步文件夹。"));
    if (!info.isDir())
        throw ECardError(tr("同步文件夹“%1”不存在。").arg(folder));
    // The sync program would replace the live data file under the running program.
    const QString canonical = info.canonicalFilePath();
    if (canonical == QFileInfo(FDataFolder).canonicalFilePath() ||
        QFileInfo::exists(QDir(folder).filePath(QLatin1String(DatabaseFile::FileName))))
        throw ECardError(tr("同步文件夹不能是数据文件所在的文件夹，也不能放有 %1。")
                             .arg(QLatin1String(DatabaseFile::FileName)));
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("velmora-probe-XXXXXX")));
    if (!probe.open())
        throw ECardError(tr("无法在同步文件夹中写入文件：%1").arg(probe.errorString()));
}

void TFormSync::btnOKClick()
{
    const TSyncSettings chosen = Settings();
    edtFolder->setFocus();
    RequireUsableFolder(chosen.Folder);
    if (IsBlank(chosen.DeviceName)) {
        edtName->setFocus();
        throw ECardError(tr("本机名称不能为空。"));
    }
    SetModalResult(mrOK);
}

bool ShowSyncDialog(TSyncSettings& settings, const QString& dataFolder, TUserDialogs& dialogs,
                    QWidget* parent)
{
    TFormSync form(dialogs, dataFolder, parent);
    form.SetSettings(settings);
    if (form.ShowModal() != mrOK)
        return false;
    settings = form.Settings();
    settings.Save();
    return true;
}
