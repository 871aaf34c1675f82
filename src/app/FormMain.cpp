#include "app/FormMain.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
constexpr int OuterWidth = 800;
constexpr int OuterHeight = 520;
} // namespace

QString ApplicationTitle()
{
    return QStringLiteral("Velmora");
}

TFormMain::TFormMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(ApplicationTitle());
    resize(OuterWidth, OuterHeight);
    move(353, 259);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    pgc1 = new QTabWidget(this);
    ts2 = new QWidget;
    ts1 = new QWidget;
    pgc1->addTab(ts2, QStringLiteral("记事本"));
    pgc1->addTab(ts1, QStringLiteral("网址管理"));
    pgc1->setCurrentIndex(0);
    layout->addWidget(pgc1, 1);

    pnl1 = new QWidget(this);
    pnl1->setFixedHeight(25);
    auto* bar = new QHBoxLayout(pnl1);
    bar->setContentsMargins(0, 0, 23, 0);
    bar->setSpacing(5);
    bar->addStretch(1);
    chk1 = new QCheckBox(QStringLiteral("开机运行"), pnl1);
    btnSystem = new QPushButton(QStringLiteral("软件设置"), pnl1);
    btnSystem->setFixedSize(75, 25);
    bar->addWidget(chk1);
    bar->addWidget(btnSystem);
    layout->addWidget(pnl1);
}

TFormMain::~TFormMain() = default;

void TFormMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (FSized)
        return;
    FSized = true;
    // The design size is the outer size; once the frame is known the client area gives way to it.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (!frame.isEmpty())
        resize(OuterWidth - frame.width(), OuterHeight - frame.height());
}
