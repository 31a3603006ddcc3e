#pragma once

#include "editor/boundrecord.h"
#include "editor/editorcommand.h"

#include <QPointer>
#include <QStringList>
#include <QVariantList>

#include <functional>

class EditorContext;
class FieldBinder;

// A change the plug-in's own logic makes to several fields of one record (a
// currency from the menu fills in code, symbol and side; the default layout
// or texts come back) as one undoable step: the change runs once, and undo
// and redo restore the fields it touched. A change that touched nothing
// leaves no step.
class RecordedChangeCommand : public EditorCommand
{
public:
    RecordedChangeCommand(EditorContext &context, FieldBinder &binder, const QStringList &fields,
                          std::function<void()> change, const QString &text);

protected:
    void apply() override;
    void revert() override { store(m_before); }

private:
    QVariantList snapshot() const;
    void store(const QVariantList &values);

    EditorContext &m_context;
    QPointer<FieldBinder> m_binder;
    BoundRecord m_record;
    QStringList m_fields;
    std::function<void()> m_change;
    QVariantList m_before;
    QVariantList m_after;
    bool m_done = false;
};
