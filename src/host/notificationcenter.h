#pragma once

#include <QObject>
#include <QString>

// The process-wide notification centre: objects post named notifications and
// any number of observers receive them synchronously, on the posting thread.
class NotificationCenter : public QObject
{
    Q_OBJECT

public:
    static NotificationCenter &defaultCenter();

    void postNotificationName(const QString &name, QObject *object = nullptr);
    // Disconnects every notification that observer receives.
    void removeObserver(QObject *observer);

Q_SIGNALS:
    void notificationPosted(const QString &name, QObject *object);
};
