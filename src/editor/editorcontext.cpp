#include "editor/editorcontext.h"

#include "editor/fieldbinder.h"

#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QUndoStack>

EditorContext::EditorContext(TillboxPlugin &plugin, QUndoStack *undoStack, QObject *parent)
    : QObject(parent), m_plugin(plugin), m_undoStack(undoStack), m_formats(plugin.currencyRefresh())
{
    Q_ASSERT(undoStack);
    m_settings = std::make_unique<FieldBinder>(*this, [this] { return BoundRecord(m_plugin.globalSettings()); });
    m_currency =
        std::make_unique<FieldBinder>(*this, [this] { return BoundRecord(m_plugin.globalSettings()->currency()); });
    m_product = std::make_unique<FieldBinder>(
        *this, [this] { return BoundRecord(m_plugin.productController().selectedProduct()); });

    connect(&m_plugin.productController(), &ProductController::keyPathChanged, this, [this](const QString &path) {
        if (path == QLatin1String("selectionIndex"))
            m_product->refresh();
    });
    // The settings record or its currency record may be replaced (a paste of
    // settings, a currency chosen from the menu).
    connect(&m_plugin.globalSettingsController(), &ObjectController::contentChanged, this, [this] {
        watchSettings();
        m_settings->refresh();
        m_currency->refresh();
    });
    watchSettings();
}

void EditorContext::watchSettings()
{
    disconnect(m_settingsWatch);
    m_settingsWatch = connect(m_plugin.globalSettings().get(), &TillboxGlobalSettings::valueChanged, this,
                              [this](const QString &key) {
                                  if (key == QLatin1String("currency"))
                                      m_currency->refresh();
                              });
}

EditorContext::~EditorContext() = default;

void EditorContext::push(QUndoCommand *command)
{
    m_undoStack->push(command);
}

void EditorContext::commitAll()
{
    m_settings->commitAll();
    m_currency->commitAll();
    m_product->commitAll();
    Q_EMIT commitRequested();
}

void EditorContext::broadcastChange()
{
    m_plugin.broadcastPluginChanged();
}

void EditorContext::setFormats(const CurrencyRefresh &formats)
{
    m_formats = formats;
    Q_EMIT formatsChanged();
}
