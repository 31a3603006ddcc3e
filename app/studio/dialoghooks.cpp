#include "dialoghooks.h"

#include <QFileDialog>

#include <memory>

namespace {

const QString kSiteFilter = QStringLiteral("Tillbox sites (*.tillbox)");
const QString kCsvFilter = QStringLiteral("Comma-separated text (*.csv)");
const QString kJsonFilter = QStringLiteral("Ferrule catalogues (*.json)");

} // namespace

QMessageBox *DialogHooks::unsavedChangesBox(QWidget *parent, const QString &documentName)
{
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Unsaved Changes"),
                                QStringLiteral("Do you want to save the changes you made to \u201c%1\u201d?").arg(documentName),
                                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box->setInformativeText(QStringLiteral("Your changes will be lost if you don't save them."));
    box->setDefaultButton(QMessageBox::Save);
    return box;
}

DialogHooks &DialogHooks::current()
{
    static DialogHooks hooks = standard();
    return hooks;
}

DialogHooks DialogHooks::standard()
{
    DialogHooks hooks;
    hooks.unsavedChanges = [](QWidget *parent, const QString &documentName) {
        std::unique_ptr<QMessageBox> box(unsavedChangesBox(parent, documentName));
        return QMessageBox::StandardButton(box->exec());
    };
    hooks.confirm = [](QWidget *parent, const QString &title, const QString &text) {
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    };
    hooks.error = [](QWidget *parent, const QString &title, const QString &text) {
        QMessageBox::critical(parent, title, text);
    };
    hooks.information = [](QWidget *parent, const QString &title, const QString &text) {
        QMessageBox::information(parent, title, text);
    };
    hooks.alert = [](QWidget *parent, const QStringList &alert) {
        QMessageBox box(QMessageBox::Information, alert.value(0), alert.value(0), QMessageBox::NoButton, parent);
        // The explanation is shown as it stands: a "%" in it is just a percent sign.
        box.setInformativeText(alert.value(1));
        box.addButton(alert.value(2, QStringLiteral("OK")), QMessageBox::AcceptRole);
        box.exec();
    };
    hooks.openFileName = [](QWidget *parent, const QString &folder) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Open Site"), folder, kSiteFilter);
    };
    hooks.saveFileName = [](QWidget *parent, const QString &suggestedPath) {
        QFileDialog dialog(parent, QStringLiteral("Save Site"), suggestedPath, kSiteFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("tillbox"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    hooks.exportFolder = [](QWidget *parent, const QString &folder) {
        return QFileDialog::getExistingDirectory(parent, QStringLiteral("Export Site Into"), folder);
    };
    hooks.csvFileName = [](QWidget *parent, const QString &suggestedPath) {
        QFileDialog dialog(parent, QStringLiteral("Export Catalogue as CSV"), suggestedPath, kCsvFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    hooks.imagesFolder = [](QWidget *parent, const QString &message, const QString &folder) {
        // The caption carries the message: the desktop's folder chooser has
        // no other place for it.
        QFileDialog dialog(parent, message, folder);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Export"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    hooks.ferruleCatalogue = [](QWidget *parent, const QString &folder) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Choose the Ferrule Catalogue"), folder,
                                            kJsonFilter);
    };
    return hooks;
}
