#include "editor/shippingsection.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"

#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

ShippingSection::ShippingSection(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    FieldBinder &settings = context.settings();
    auto *layout = new QVBoxLayout(this);

    auto *form = new QFormLayout;
    auto *description = new QLineEdit(this);
    description->setObjectName(QStringLiteral("additionalCostsDescriptionTextField"));
    description->setMaximumWidth(320);
    settings.bind(description, QStringLiteral("additionalCostsDescription"));
    form->addRow(tr("Name in the &cart:"), description);

    auto *type = new QComboBox(this);
    type->setObjectName(QStringLiteral("additionalCostsTypePopUpButton"));
    type->addItem(tr("Number of items"), 10);
    type->addItem(tr("Order value"), 20);
    type->addItem(tr("Total weight"), 30);
    settings.bind(type, QStringLiteral("additionalCostsTypeTag"));
    // After the binding has stored the new kind.
    connect(type, &QComboBox::activated, this, &ShippingSection::handleAdditionalCostTypeChange);
    form->addRow(tr("Costs &depend on:"), type);
    layout->addLayout(form);

    auto *tiers = new QGroupBox(tr("Tiers"), this);
    auto *grid = new QGridLayout(tiers);
    grid->addWidget(new QLabel(tr("<b>From</b>"), tiers), 0, 0);
    grid->addWidget(new QLabel(tr("<b>Up to</b>"), tiers), 0, 1);
    grid->addWidget(new QLabel(tr("<b>Cost</b>"), tiers), 0, 2);
    for (int tier = 0; tier < TillboxGlobalSettings::AdditionalCostTierCount; ++tier) {
        auto *from = new QLabel(tiers);
        from->setAccessibleName(tr("Start of tier %1").arg(tier + 1));
        auto *limit = new QLineEdit(tiers);
        limit->setObjectName(QStringLiteral("additionalCostsLimit%1").arg(tier));
        limit->setAccessibleName(tr("Upper limit of tier %1").arg(tier + 1));
        limit->setAlignment(Qt::AlignRight);
        auto *cost = new QLineEdit(tiers);
        cost->setObjectName(QStringLiteral("additionalCostsValue%1").arg(tier));
        cost->setAccessibleName(tr("Cost of tier %1").arg(tier + 1));
        cost->setAlignment(Qt::AlignRight);
        settings.bindNumber(limit, QStringLiteral("additionalCostsLimit%1").arg(tier),
                            FieldBinder::NumberRole::AdditionalCostRange);
        settings.bindNumber(cost, QStringLiteral("additionalCostsValue%1").arg(tier),
                            FieldBinder::NumberRole::AdditionalCostValue);
        // A tier starts above the highest limit before it; one without a
        // limit is not used.
        const auto showStart = [this, from, tier](const QVariant &) {
            const TillboxGlobalSettings &record = *m_context.plugin().globalSettings();
            if (record.additionalCostsLimit(tier) <= 0) {
                from->setText(tr("not used"));
                return;
            }
            float start = 0;
            for (int before = 0; before < tier; ++before)
                start = std::max(start, record.additionalCostsLimit(before));
            from->setText(
                FieldBinder::formatter(m_context, FieldBinder::NumberRole::AdditionalCostRange).stringFromNumber(start));
        };
        for (int other = 0; other <= tier; ++other)
            settings.bindWidget(from, QStringLiteral("additionalCostsLimit%1").arg(other),
                                {showStart, []() -> std::optional<QVariant> { return std::nullopt; }});
        grid->addWidget(from, tier + 1, 0);
        grid->addWidget(limit, tier + 1, 1);
        grid->addWidget(cost, tier + 1, 2);
    }
    grid->setColumnMinimumWidth(0, 120);
    grid->setColumnStretch(3, 1);
    for (int column = 1; column <= 2; ++column)
        grid->setColumnMinimumWidth(column, 160);
    layout->addWidget(tiers);

    auto *note = new QLabel(tr("An order pays the cost of the first tier whose limit it reaches up to. A tier "
                               "without a limit is not used; above the highest limit nothing is added."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch();
    // Only text fields widen with the window; menus and numbers keep their size.
    for (QFormLayout *form : findChildren<QFormLayout *>())
        form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
}

void ShippingSection::handleAdditionalCostTypeChange()
{
    m_context.setFormats(m_context.plugin().currencyRefresh());
}
