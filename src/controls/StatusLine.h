#pragma once

#include <QLabel>

class QTimer;

// A quiet line in the window's bottom bar: says what a command did, for a few seconds, and
// asks for nothing. A new message replaces the one shown and starts the time again. Between
// messages it shows a standing text (how the exchange with other computers stands), if any.
class TStatusLine final : public QLabel
{
    Q_OBJECT

public:
    explicit TStatusLine(QWidget* parent = nullptr);
    ~TStatusLine() override;

    void ShowMessage(const QString& text, int milliseconds = 4000);
    void SetStandingText(const QString& text);

private:
    QTimer* FTimer;
    QString FStanding;
};
