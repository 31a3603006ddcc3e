#pragma once

#include "editor/editorcontext.h"
#include "editor/shopeditor.h"
#include "editor/shopeditorview.h"
#include "editor/shopsettingsview.h"

#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>

// A new page's plug-in with the document's undo stack; attach() gives it its
// editor as the studio does.
class EditorTest : public ::testing::Test
{
protected:
    ~EditorTest() override
    {
        if (editor)
            plugin->setEditor(nullptr);
    }
    void attach()
    {
        editor = std::make_unique<ShopEditor>(*plugin, &stack);
        plugin->setEditor(editor.get());
    }
    ShopEditorView *view() const { return editor->view(); }
    // A named widget of the editor's main view or its options view.
    template <class W>
    W *find(const QString &name) const
    {
        W *widget = editor->view()->findChild<W *>(name);
        if (!widget)
            widget = editor->settingsView()->findChild<W *>(name);
        EXPECT_TRUE(widget) << name.toStdString();
        return widget;
    }
    // Types into a field and leaves it, as the author does.
    static void type(QWidget *edit, const QString &text)
    {
        edit->setFocus();
        if (auto *line = qobject_cast<QLineEdit *>(edit))
            line->selectAll();
        else if (auto *spin = qobject_cast<QAbstractSpinBox *>(edit))
            spin->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void type(const QString &name, const QString &text) const { type(find<QWidget>(name), text); }
    TillboxGlobalSettings &settings() const { return *plugin->globalSettings(); }

    QUndoStack stack;
    std::shared_ptr<TillboxPlugin> plugin = std::make_shared<TillboxPlugin>();
    std::unique_ptr<ShopEditor> editor;
};

// The same page with an editing context of its own, for widgets tested alone.
class ContextTest : public EditorTest
{
protected:
    EditorContext context{*plugin, &stack};
};
