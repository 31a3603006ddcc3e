#include "editor/productgeneralpage.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"
#include "editor/setfieldcommand.h"
#include "editor/tbximageview.h"

#include "catalogue/tillboxproduct.h"
#include "images/picture.h"
#include "plugin/tillboxplugin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// A field that only shows a value.
std::function<void()> showOnly(FieldBinder &binder, QWidget *widget, const QString &field,
                               std::function<void(const QVariant &)> show)
{
    return binder.bindWidget(widget, field, {std::move(show), []() -> std::optional<QVariant> { return std::nullopt; }});
}

} // namespace

ProductGeneralPage::ProductGeneralPage(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    FieldBinder &product = m_context.product();

    // --- The product -------------------------------------------------------
    auto *details = new QGroupBox(tr("Product"), this);
    auto *form = new QFormLayout(details);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);

    auto *name = new QLineEdit(details);
    name->setObjectName(QStringLiteral("productNameTextField"));
    name->setAccessibleName(tr("Product name"));
    product.bind(name, QStringLiteral("name"));
    form->addRow(tr("&Name:"), name);

    auto *sku = new QLineEdit(details);
    sku->setObjectName(QStringLiteral("productSKUTextField"));
    sku->setPlaceholderText(tr("Stock-keeping unit, e.g. TS-RED-M"));
    sku->setToolTip(tr("Coupons and the catalogue export find the product by its SKU."));
    sku->setAccessibleName(tr("SKU"));
    product.bind(sku, QStringLiteral("SKU"));
    form->addRow(tr("&SKU:"), sku);

    auto *status = new QComboBox(details);
    status->setObjectName(QStringLiteral("productStatusPopUpButton"));
    status->addItem(tr("Available"), TillboxProduct::StatusAvailable);
    status->addItem(tr("Out of stock (listed, cannot be ordered)"), TillboxProduct::StatusOutOfStock);
    status->addItem(tr("Hidden (not listed)"), TillboxProduct::StatusHidden);
    status->setAccessibleName(tr("Status"));
    product.bind(status, QStringLiteral("status"));
    form->addRow(tr("S&tatus:"), status);

    auto *idRow = new QHBoxLayout;
    auto *id = new QLabel(details);
    id->setObjectName(QStringLiteral("productIDLabel"));
    id->setTextInteractionFlags(Qt::TextSelectableByMouse);
    showOnly(product, id, QStringLiteral("productID"),
             [id](const QVariant &value) { id->setText(value.isValid() ? QString::number(value.toInt()) : QString()); });
    auto *newID = new QPushButton(tr("New ID"), details);
    newID->setObjectName(QStringLiteral("resetProductIDButton"));
    newID->setAccessibleName(tr("New product ID"));
    newID->setToolTip(tr("Gives the product an ID no other product uses; its picture files are renamed after it."));
    showOnly(product, newID, QStringLiteral("productID"), [](const QVariant &) {});
    connect(newID, &QPushButton::clicked, this, [this] { resetProductID(); });
    idRow->addWidget(id);
    idRow->addWidget(newID);
    idRow->addStretch();
    auto *idLabel = new QLabel(tr("Product ID:"), details);
    idLabel->setBuddy(newID);
    form->addRow(idLabel, idRow);

    // --- The thumbnail -----------------------------------------------------
    auto *thumbnail = new QGroupBox(tr("Thumbnail on the page"), this);
    auto *thumbnailForm = new QFormLayout(thumbnail);
    auto *sizeRow = new QHBoxLayout;
    auto *width = new QSpinBox(thumbnail);
    width->setObjectName(QStringLiteral("iconWidthTextField"));
    width->setRange(TBXMinIconSize, TBXMaxIconSize);
    width->setSuffix(tr(" px"));
    width->setAccessibleName(tr("Thumbnail width"));
    width->findChild<QLineEdit *>()->setAccessibleName(width->accessibleName());
    product.bind(width, QStringLiteral("iconWidth"));
    auto *height = new QLabel(thumbnail);
    height->setObjectName(QStringLiteral("iconHeightLabel"));
    showOnly(product, height, QStringLiteral("iconHeight"), [height](const QVariant &value) {
        height->setText(value.isValid() ? tr("\u00d7 %1 px high (follows the picture)").arg(value.toInt()) : QString());
    });
    sizeRow->addWidget(width);
    sizeRow->addWidget(height, 1);
    auto *widthLabel = new QLabel(tr("&Width:"), thumbnail);
    widthLabel->setBuddy(width);
    thumbnailForm->addRow(widthLabel, sizeRow);
    auto *shadow = new QCheckBox(tr("&Drop shadow"), thumbnail);
    shadow->setObjectName(QStringLiteral("hasDropShadowCheckBox"));
    shadow->setAccessibleName(tr("Drop shadow"));
    product.bind(shadow, QStringLiteral("hasDropShadow"));
    thumbnailForm->addRow(QString(), shadow);

    // --- The picture -------------------------------------------------------
    auto *pictureBox = new QGroupBox(tr("Picture"), this);
    auto *pictureLayout = new QVBoxLayout(pictureBox);
    m_imageView = new TBXImageView(m_context, pictureBox);
    pictureLayout->addWidget(m_imageView);
    auto *caption = new QLabel(pictureBox);
    caption->setObjectName(QStringLiteral("imageCaption"));
    caption->setAlignment(Qt::AlignHCenter);
    caption->setWordWrap(true);
    const auto showCaption = [this, caption](const QVariant &) {
        const auto selected = m_context.plugin().productController().selectedProduct();
        if (!selected) {
            caption->setText(tr("Add a product to give it a picture."));
            return;
        }
        const auto picture = selected->icon();
        caption->setText(picture ? tr("%1 \u2013 %2 \u00d7 %3 pixels")
                                       .arg(selected->imageName())
                                       .arg(picture->width())
                                       .arg(picture->height())
                                 : selected->imageName());
    };
    showOnly(product, caption, QStringLiteral("image"), showCaption);
    showOnly(product, caption, QStringLiteral("imageName"), showCaption);
    pictureLayout->addWidget(caption);
    auto *message = new QLabel(pictureBox);
    message->setObjectName(QStringLiteral("imageMessage"));
    message->setWordWrap(true);
    message->setStyleSheet(QStringLiteral("color: #c0392b;"));
    message->hide();
    connect(m_imageView, &TBXImageView::messageChanged, message, [message](const QString &text) {
        message->setText(text);
        message->setVisible(!text.isEmpty());
    });
    pictureLayout->addWidget(message);
    auto *buttons = new QHBoxLayout;
    auto *choose = new QPushButton(tr("C&hoose\u2026"), pictureBox);
    choose->setObjectName(QStringLiteral("chooseImageButton"));
    choose->setAccessibleName(tr("Choose a picture file"));
    connect(choose, &QPushButton::clicked, m_imageView, &TBXImageView::choosePicture);
    auto *paste = new QPushButton(tr("&Paste"), pictureBox);
    paste->setObjectName(QStringLiteral("pasteImageButton"));
    paste->setAccessibleName(tr("Paste a picture"));
    connect(paste, &QPushButton::clicked, m_imageView, &TBXImageView::paste);
    auto *remove = new QPushButton(tr("&Remove"), pictureBox);
    remove->setObjectName(QStringLiteral("removeImageButton"));
    remove->setAccessibleName(tr("Remove the picture"));
    remove->setToolTip(tr("Restores the default picture"));
    connect(remove, &QPushButton::clicked, m_imageView, &TBXImageView::removePicture);
    for (QPushButton *button : {choose, paste, remove}) {
        // Enabled with the well: only while a product is selected.
        showOnly(product, button, QStringLiteral("image"), [](const QVariant &) {});
        buttons->addWidget(button);
    }
    pictureLayout->addLayout(buttons);

    auto *left = new QVBoxLayout;
    left->addWidget(details);
    left->addWidget(thumbnail);
    left->addStretch();
    auto *layout = new QHBoxLayout(this);
    auto *right = new QVBoxLayout;
    right->addWidget(pictureBox);
    right->addStretch();
    layout->addLayout(left, 3);
    layout->addLayout(right, 2);

    setTabOrder(name, sku);
    setTabOrder(sku, status);
    setTabOrder(status, newID);
    setTabOrder(newID, width);
    setTabOrder(width, shadow);
    setTabOrder(shadow, m_imageView);
    setTabOrder(m_imageView, choose);
}

void ProductGeneralPage::resetProductID()
{
    // The plug-in picks the new ID; the step records it so that undo gives
    // the old one back (it stays reserved for this product).
    const BoundRecord record = m_context.product().record();
    if (record.isNull())
        return;
    const QVariant before = record.value(QStringLiteral("productID"));
    m_context.plugin().resetProductID();
    const QVariant after = record.value(QStringLiteral("productID"));
    if (before != after)
        m_context.push(new SetFieldCommand(m_context, &m_context.product(), record, QStringLiteral("productID"), before,
                                           after));
}
