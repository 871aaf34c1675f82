#include "controls/StatusLine.h"

#include <QTimer>

TStatusLine::TStatusLine(QWidget* parent) : QLabel(parent), FTimer(new QTimer(this))
{
    FTimer->setSingleShot(true);
    connect(FTimer, &QTimer::timeout, this, &QLabel::clear);
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
