#include "controls/StatusLine.h"

#include <QTimer>

TStatusLine::TStatusLine(QWidget* parent) : QLabel(parent), FTimer(new QTimer(this))
{
    FTimer->setSingleShot(true);
    connect(FTimer, &QTimer::timeout, this, [this] { setText(FStanding); });
    // A long path must not widen the window: the line takes the room there is.
    setMinimumWidth(0);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

TStatusLine::~TStatusLine() = default;

void TStatusLine::ShowMessage(const QString& text, int milliseconds)
{
    setText(text);
    FTimer->start(milliseconds);
}

void TStatusLine::SetStandingText(const QString& text)
{
    FStanding = text;
    if (!FTimer->isActive())
        setText(text);
}
