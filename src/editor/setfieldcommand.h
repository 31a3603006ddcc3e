#pragma once

#include "editor/boundrecord.h"
#include "editor/editorcommand.h"

#include <QPointer>
#include <QVariant>

class EditorContext;
class FieldBinder;

// One edit of one field of one record: stores the new value on redo and the
// old one on undo, then shows it in the binder's widgets (records that
// announce nothing) and marks the page changed.
class SetFieldCommand : public EditorCommand
{
public:
    SetFieldCommand(EditorContext &context, FieldBinder *binder, BoundRecord record, const QString &field,
                    QVariant oldValue, QVariant newValue);

protected:
    void apply() override { store(m_newValue); }
    void revert() override { store(m_oldValue); }

private:
    void store(const QVariant &value);

    EditorContext &m_context;
    QPointer<FieldBinder> m_binder;
    BoundRecord m_record;
    QString m_field;
    QVariant m_oldValue;
    QVariant m_newValue;
};
