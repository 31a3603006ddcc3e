#pragma once

#include <QObject>
#include <QString>
#include <memory>

// The classes of the host process that plug-ins find by name at run time, as
// one plug-in reaches a sibling plug-in without linking against it. A class
// is stood for by an object whose invokable methods are its class operations
// (asked for with QMetaObject::invokeMethod, so a caller can tell whether the
// class answers an operation).
//
// Main thread only; nothing is locked.
class HostClassRegistry
{
public:
    HostClassRegistry() = delete;

    // Registers classObject under name, replacing what was there; a null
    // object removes the name.
    static void registerClass(const QString &name, std::shared_ptr<QObject> classObject);
    // Null when no class of that name is loaded.
    static QObject *classNamed(const QString &name);
};
