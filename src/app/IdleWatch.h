#pragma once

#include <QObject>

class QTimer;

// Tells when the user has left the program alone for a given time: any key, click, wheel turn or
// mouse move anywhere in the program starts the time again.
class TIdleWatch final : public QObject
{
    Q_OBJECT

public:
    explicit TIdleWatch(QObject* parent = nullptr);
    ~TIdleWatch() override;

    // 0 minutes watches nothing.
    void SetMinutes(int minutes);
    // Starts the time again, as input does.
    void Restart();

Q_SIGNALS:
    void Idle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer* FTimer;
    bool FWatching = false;
};
