#pragma once

#include <QLabel>

class QTimer;

// A quiet line in the window's bottom bar: says what a command did, for a few seconds, and
// asks for nothing. A new message replaces the one shown and starts the time again.
class TStatusLine final : public QLabel
{
    Q_OBJECT

public:
    explicit TStatusLine(QWidget* parent = nullptr);
    ~TStatusLine() override;

    void ShowMessage(const QString& text, int milliseconds = 4000);

private:
    QTimer* FTimer;
};
