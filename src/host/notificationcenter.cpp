#include "host/notificationcenter.h"

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::postNotificationName(const QString &name, QObject *object)
{
    Q_EMIT notificationPosted(name, object);
}

void NotificationCenter::removeObserver(QObject *observer)
{
    disconnect(this, nullptr, observer, nullptr);
}
