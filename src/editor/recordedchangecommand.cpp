#include "editor/recordedchangecommand.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"

RecordedChangeCommand::RecordedChangeCommand(EditorContext &context, FieldBinder &binder, const QStringList &fields,
                                             std::function<void()> change, const QString &text)
    : EditorCommand(text), m_context(context), m_binder(&binder), m_record(binder.record()), m_fields(fields),
      m_change(std::move(change))
{
    m_before = snapshot();
}

void RecordedChangeCommand::apply()
{
    if (m_done) {
        store(m_after);
        return;
    }
    m_done = true;
    m_change();
    m_after = snapshot();
    if (m_after == m_before)
        setObsolete(true);
}

QVariantList RecordedChangeCommand::snapshot() const
{
    QVariantList values;
    for (const QString &field : m_fields)
        values << m_record.value(field);
    return values;
}

void RecordedChangeCommand::store(const QVariantList &values)
{
    for (int i = 0; i < m_fields.size(); ++i) {
        m_record.setValue(m_fields[i], values[i]);
        if (m_binder && m_binder->record() == m_record)
            m_binder->showField(m_fields[i]);
    }
    m_context.broadcastChange();
}
