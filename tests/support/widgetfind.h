#pragma once

#include <QObject>
#include <QString>

#include <QtGlobal>

// The control under root with the given form name, which every control keeps as its object
// name. A control that is not there ends the test with its name rather than with a null
// pointer somewhere later.
template<typename T>
T *find(const QObject *root, const QString &name)
{
    T *child = root->findChild<T *>(name);
    if (!child)
        qFatal("no control %s", qPrintable(name));
    return child;
}
