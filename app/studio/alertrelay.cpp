#include "alertrelay.h"

#include "dialoghooks.h"

#include <QThread>

AlertRelay::AlertRelay(QWidget *parent) : QObject(parent), m_window(parent) {}

void AlertRelay::runAlert(const QStringList &alert)
{
    if (QThread::currentThread() == thread()) {
        show(alert);
        return;
    }
    QMetaObject::invokeMethod(this, "show", Qt::BlockingQueuedConnection, Q_ARG(QStringList, alert));
}

void AlertRelay::show(const QStringList &alert)
{
    DialogHooks::current().alert(m_window, alert);
}
