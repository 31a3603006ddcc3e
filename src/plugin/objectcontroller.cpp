#include "plugin/objectcontroller.h"

#include "settings/tillboxglobalsettings.h"

void ObjectController::setContent(const std::shared_ptr<TillboxGlobalSettings> &content)
{
    if (m_content == content)
        return;
    m_content = content;
    Q_EMIT contentChanged();
}
