#include "app/IdleWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

TIdleWatch::TIdleWatch(QObject* parent)
    : QObject(parent), FClock(&std::chrono::steady_clock::now), FTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("IdleWatch"));
    FTimer->setSingleShot(true);
    connect(FTimer, &QTimer::timeout, this, &TIdleWatch::Check);
}

TIdleWatch::~TIdleWatch()
{
    qApp->removeEventFilter(this);
}

void TIdleWatch::SetClock(TClock clock)
{
    FClock = std::move(clock);
}

void TIdleWatch::SetMinutes(int minutes)
{
    qApp->removeEventFilter(this);
    FTimer->stop();
    FSpan = std::chrono::minutes(qMax(minutes, 0));
    if (FSpan.count() == 0)
        return;
    qApp->installEventFilter(this);
    Restart();
}

void TIdleWatch::Restart()
{
    if (FSpan.count() == 0)
        return;
    FLastInput = FClock();
    FTimer->start(FSpan);
}

void TIdleWatch::Check()
{
    if (FSpan.count() == 0)
        return;
    const auto idle = FClock() - FLastInput;
    if (idle < FSpan) {
        // Input came meanwhile: the time runs from it.
        FTimer->start(std::chrono::ceil<std::chrono::milliseconds>(FSpan - idle));
        return;
    }
    FTimer->stop();
    Q_EMIT Idle();
}

bool TIdleWatch::eventFilter(QObject* watched, QEvent* event)
{
    // Only the time is noted: input comes often, and the timer is set again once it runs out.
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        FLastInput = FClock();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
