#pragma once

#include <QAccessible>
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QWidget>
#include <QtTest>

#include <initializer_list>

// What a screen reader calls the widget.
inline QString AccessibleName(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

// The enabled controls the Tab key reaches from a window, in order.
inline QList<QWidget*> TabChain(QWidget* window)
{
    QList<QWidget*> chain;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && w->isEnabled())
            chain << w;
    return chain;
}

// The application's font made larger for as long as this lives.
class TScaledFont final
{
public:
    explicit TScaledFont(double scale) : FBefore(QApplication::font())
    {
        QFont font = FBefore;
        font.setPointSizeF(font.pointSizeF() * scale);
        QApplication::setFont(font);
    }
    ~TScaledFont() { QApplication::setFont(FBefore); }
    TScaledFont(const TScaledFont&) = delete;
    TScaledFont& operator=(const TScaledFont&) = delete;

private:
    QFont FBefore;
};

// Checks the controls placed directly on the panels of a shown dialog: a label shows its whole
// caption and is the buddy of its field (a wrapped note or a picture needs none); a line edit
// shows a whole line; every other control has a name for a screen reader and, while enabled, is
// reached with Tab, but for those kept out of the Tab chain on purpose.
inline void VerifyControls(QWidget* dialog, std::initializer_list<QWidget*> panels,
                           const QList<QWidget*>& outOfTab = {},
                           const QList<QWidget*>& pictures = {})
{
    const QList<QWidget*> chain = TabChain(dialog);
    for (QWidget* panel : panels)
        for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!w->isVisibleTo(dialog))
                continue;
            if (auto* label = qobject_cast<QLabel*>(w); label && !pictures.contains(w)) {
                QVERIFY2(label->wordWrap() || label->buddy(), qPrintable(label->text()));
                QVERIFY2(label->width() >= label->sizeHint().width() &&
                             label->height() >= label->sizeHint().height(),
                         qPrintable(label->text()));
                continue;
            }
            if (qobject_cast<QLineEdit*>(w))
                QVERIFY(w->height() >= w->fontMetrics().height());
            QVERIFY2(!AccessibleName(w).isEmpty(), qPrintable(w->objectName()));
            QCOMPARE(chain.contains(w), w->isEnabled() && !outOfTab.contains(w));
        }
}
