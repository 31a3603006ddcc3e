#pragma once

#include <QObject>

#include <functional>

class QAbstractItemView;

// Calls back whenever the author starts editing a cell of a table (the view
// puts an editor on its viewport). The editor's tables mark the page changed
// then, as the host expects, before the edit is committed.
class EditStartWatcher : public QObject
{
public:
    EditStartWatcher(QAbstractItemView *view, std::function<void()> started);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_started;
};
