#pragma once

#include <QObject>

#include <chrono>
#include <functional>

class QTimer;

// Tells when the user has left the program alone for a given time: any key, text from an input
// method, click, wheel turn or mouse move anywhere in the program starts the time again.
class TIdleWatch final : public QObject
{
    Q_OBJECT

public:
    using TClock = std::function<std::chrono::steady_clock::time_point()>;

    explicit TIdleWatch(QObject* parent = nullptr);
    ~TIdleWatch() override;

    // 0 minutes watches nothing.
    void SetMinutes(int minutes);
    // Starts the time again, as input does.
    void Restart();
    // The time is read from this clock instead of the system's steady one.
    void SetClock(TClock clock);
    // Says Idle when the time has run out since the last input, else waits for the rest of it.
    // The watch's timer calls it; so may a test that moved the clock on.
    void Check();

Q_SIGNALS:
    void Idle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TClock FClock;
    QTimer* FTimer;
    std::chrono::milliseconds FSpan{0};
    std::chrono::steady_clock::time_point FLastInput;
};
