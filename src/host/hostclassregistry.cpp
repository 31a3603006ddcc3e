#include "host/hostclassregistry.h"

#include <QHash>

namespace {

QHash<QString, std::shared_ptr<QObject>> &classes()
{
    static QHash<QString, std::shared_ptr<QObject>> table;
    return table;
}

} // namespace

void HostClassRegistry::registerClass(const QString &name, std::shared_ptr<QObject> classObject)
{
    if (classObject)
        classes().insert(name, std::move(classObject));
    else
        classes().remove(name);
}

QObject *HostClassRegistry::classNamed(const QString &name)
{
    const auto it = classes().constFind(name);
    return it == classes().constEnd() ? nullptr : it->get();
}
