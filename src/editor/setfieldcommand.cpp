#include "editor/setfieldcommand.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"

SetFieldCommand::SetFieldCommand(EditorContext &context, FieldBinder *binder, BoundRecord record,
                                 const QString &field, QVariant oldValue, QVariant newValue)
    : EditorCommand(QObject::tr("Change %1").arg(field)), m_context(context), m_binder(binder),
      m_record(std::move(record)), m_field(field), m_oldValue(std::move(oldValue)), m_newValue(std::move(newValue))
{
}

void SetFieldCommand::store(const QVariant &value)
{
    m_record.setValue(m_field, value);
    // Records with signals update their widgets themselves; the others (and a
    // binder now showing another record) are shown here.
    if (m_binder && m_binder->record() == m_record)
        m_binder->showField(m_field);
    m_context.broadcastChange();
}
