#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into an orderly end: the handler only writes a byte to a pipe,
// and the event loop, reading it, emits Received, so that whatever is due is saved on the way
// out. The previous handlers come back when the object goes.
class TQuitSignals final : public QObject
{
    Q_OBJECT

public:
    explicit TQuitSignals(QObject* parent = nullptr);
    ~TQuitSignals() override;

Q_SIGNALS:
    void Received();

private:
    QSocketNotifier* FNotifier = nullptr;
};
