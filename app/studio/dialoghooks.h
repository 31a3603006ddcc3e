#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Every question and message the studio puts to the author goes through one
// of these. They show the real dialogs; tests replace them to answer
// without a person in front of the screen.
struct DialogHooks
{
    // Save, Discard or Cancel for a document with unsaved changes.
    std::function<QMessageBox::StandardButton(QWidget *parent, const QString &documentName)> unsavedChanges;
    // Yes or no to a question that cannot be undone (removing a page).
    std::function<bool(QWidget *parent, const QString &title, const QString &text)> confirm;
    // A failure the author must read: title and text.
    std::function<void(QWidget *parent, const QString &title, const QString &text)> error;
    // Something the author should know that needs no decision: title, text.
    std::function<void(QWidget *parent, const QString &title, const QString &text)> information;
    // An alert of the plug-in: title, message, button label.
    std::function<void(QWidget *parent, const QStringList &alert)> alert;
    // File and folder choosers; an empty result means the author cancelled.
    std::function<QString(QWidget *parent, const QString &folder)> openFileName;
    std::function<QString(QWidget *parent, const QString &suggestedPath)> saveFileName;
    std::function<QString(QWidget *parent, const QString &folder)> exportFolder;
    // The catalogue's comma-separated text, saved where the author says.
    std::function<QString(QWidget *parent, const QString &suggestedPath)> csvFileName;
    // The folder the product pictures go into; message explains the choice.
    std::function<QString(QWidget *parent, const QString &message, const QString &folder)> imagesFolder;
    // The Ferrule catalogue (a JSON file) whose products a page takes over.
    std::function<QString(QWidget *parent, const QString &folder)> ferruleCatalogue;

    // The hooks in use; real dialogs until a test replaces them.
    static DialogHooks &current();
    static DialogHooks standard();

    // The question the standard unsavedChanges hook asks, ready to show.
    static QMessageBox *unsavedChangesBox(QWidget *parent, const QString &documentName);
};
