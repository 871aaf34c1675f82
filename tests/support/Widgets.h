#pragma once

#include <QObject>
#include <QString>
#include <QTest>

// The widget or action of that object name among parent's children, of that type. A missing one
// fails the test at once: every later step would reach through it.
template <class T> T* Widget(const QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("No %s named %s", T::staticMetaObject.className(), name);
    return found;
}
