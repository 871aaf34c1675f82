#include "app/IdleWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>

TIdleWatch::TIdleWatch(QObject* parent) : QObject(parent), FTimer(new QTimer(this))
{
    FTimer->setSingleShot(true);
    connect(FTimer, &QTimer::timeout, this, &TIdleWatch::Idle);
}

TIdleWatch::~TIdleWatch()
{
    qApp->removeEventFilter(this);
}

void TIdleWatch::SetMinutes(int minutes)
{
    qApp->removeEventFilter(this);
    FTimer->stop();
    FWatching = minutes > 0;
    if (!FWatching)
        return;
    FTimer->setInterval(std::chrono::minutes(minutes));
    qApp->installEventFilter(this);
    FTimer->start();
}

void TIdleWatch::Restart()
{
    if (FWatching)
        FTimer->start();
}

bool TIdleWatch::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        FTimer->start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
