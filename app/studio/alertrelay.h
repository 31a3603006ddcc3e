#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

// Shows the plug-in's alerts (title, message, button) on the GUI thread.
// The export may run on another thread and still warn: the call is queued to
// the GUI thread and the calling thread waits until the author has answered.
class AlertRelay : public QObject
{
    Q_OBJECT

public:
    // Lives on the GUI thread; parent is the window the alert belongs to.
    explicit AlertRelay(QWidget *parent);

    // Callable from any thread; returns once the alert is closed.
    void runAlert(const QStringList &alert);

private:
    Q_INVOKABLE void show(const QStringList &alert);

    QPointer<QWidget> m_window;
};
