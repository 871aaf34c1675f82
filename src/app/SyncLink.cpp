#include "app/SyncLink.h"

#include "app/FormSync.h"
#include "common/CardException.h"
#include "common/Messages.h"
#include "controls/StatusLine.h"
#include "data/DbAccess.h"
#include "settings/FormPass.h"
#include "sync/SyncService.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

TSyncLink::TSyncLink(TDbAccess& dbAccess, TUserDialogs& dialogs, TStatusLine* statusLine,
                     QWidget* bar)
    : QObject(bar), FDbAccess(dbAccess), FDialogs(dialogs), FStatusLine(statusLine),
      FService(new TSyncService(this))
{
    FService->ConfirmDeletions = [this](const QString& peer, int groups, int addresses) {
        bool yes = false;
        RunGuarded([&] {
            yes = AskYesNo(FDialogs, tr("%1 删除了 %2 个分组和 %3 个网址，是否同步删除？")
                                         .arg(peer)
                                         .arg(groups)
                                         .arg(addresses));
        });
        return yes;
    };
    FService->AskPassword = [this](const QString& peer) {
        // Only opening the file tells whether the password is right: the exchange tries it.
        QString password;
        RunGuarded([&] {
            AskPasswordFor(
                FDialogs,
                [&](const QString& typed) {
                    password = typed;
                    return true;
                },
                tr("请输入 %1 的数据文件密码").arg(peer));
        });
        return password;
    };

    pnlConflicts = new QWidget(bar);
    pnlConflicts->setObjectName(QStringLiteral("pnlConflicts"));
    auto* layout = new QHBoxLayout(pnlConflicts);
    layout->setContentsMargins(0, 0, 0, 0);
    lblConflicts = new QLabel(pnlConflicts);
    btnShowConflicts = new QPushButton(tr("查看"), pnlConflicts);
    btnShowConflicts->setObjectName(QStringLiteral("btnShowConflicts"));
    btnShowConflicts->setAccessibleName(tr("查看冲突副本"));
    layout->addWidget(lblConflicts);
    layout->addWidget(btnShowConflicts);
    pnlConflicts->hide();
    if (auto* barLayout = qobject_cast<QBoxLayout*>(bar->layout()))
        barLayout->insertWidget(barLayout->indexOf(statusLine) + 1, pnlConflicts);
    ConnectGuarded(btnShowConflicts, &QPushButton::clicked, this, [this] {
        pnlConflicts->hide();
        if (ShowConflicts)
            ShowConflicts();
    });

    FMinute = new QTimer(this);
    FMinute->setInterval(60'000);
    connect(FMinute, &QTimer::timeout, this, &TSyncLink::ShowStatus);
    connect(FService, &TSyncService::StatusChanged, this, &TSyncLink::ShowStatus);
    connect(FService, &TSyncService::DataChanged, this, &TSyncLink::DataChanged);
    connect(FService, &TSyncService::ConflictsKept, this, &TSyncLink::ConflictsKept);
}

TSyncLink::~TSyncLink() = default;

QWidget* TSyncLink::ConflictNote() const
{
    return pnlConflicts;
}

void TSyncLink::Start()
{
    const TSyncSettings settings = TSyncSettings::Load();
    if (!settings.On() || !FDbAccess.Connected()) {
        FService->Stop();
        return;
    }
    FService->Start(FDbAccess.DatabasePath(), FDbAccess.Key(), settings);
    FMinute->start();
}

void TSyncLink::Stop()
{
    FService->Stop();
    FMinute->stop();
}

void TSyncLink::SyncClick()
{
    TSyncSettings settings = TSyncSettings::Load();
    if (!ShowSyncDialog(settings, QFileInfo(FDbAccess.DatabasePath()).absolutePath(), FDialogs))
        return;
    if (settings.On())
        Start();
    else {
        Stop();
        FStatusLine->SetStandingText(QString());
    }
}

void TSyncLink::ShowStatus()
{
    FStatusLine->SetStandingText(FService->StatusText(QDateTime::currentMSecsSinceEpoch()));
}

void TSyncLink::ConflictsKept(int count)
{
    lblConflicts->setText(tr("%n 条笔记在两台电脑上都改过，两份都已保留", nullptr, count));
    pnlConflicts->show();
}
