#pragma once

#include <QObject>
#include <memory>

class TillboxGlobalSettings;

// Holds the settings record the editor binds to.
class ObjectController : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    const std::shared_ptr<TillboxGlobalSettings> &content() const { return m_content; }
    void setContent(const std::shared_ptr<TillboxGlobalSettings> &content);

    // Asks bound views to commit what is being typed.
    void commitEditing() { Q_EMIT commitEditingRequested(); }

Q_SIGNALS:
    void contentChanged();
    void commitEditingRequested();

private:
    std::shared_ptr<TillboxGlobalSettings> m_content;
};
