#include "editor/editstartwatcher.h"

#include <QAbstractItemView>
#include <QChildEvent>

EditStartWatcher::EditStartWatcher(QAbstractItemView *view, std::function<void()> started)
    : QObject(view), m_started(std::move(started))
{
    view->viewport()->installEventFilter(this);
}

bool EditStartWatcher::eventFilter(QObject *, QEvent *event)
{
    // Cell editors are the only widgets a view adds to its viewport.
    if (event->type() == QEvent::ChildAdded && static_cast<QChildEvent *>(event)->child()->isWidgetType())
        m_started();
    return false;
}
