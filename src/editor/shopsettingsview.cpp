#include "editor/shopsettingsview.h"

#include "editor/checkoutpane.h"
#include "editor/colorwarninglabel.h"
#include "editor/colorwell.h"
#include "editor/editorcontext.h"
#include "editor/scrollingpage.h"
#include "editor/fieldbinder.h"
#include "editor/recordedchangecommand.h"
#include "editor/setfieldcommand.h"
#include "editor/shoptextspane.h"

#include "host/bundle.h"
#include "plugin/tillboxplugin.h"
#include "settings/currencytables.h"
#include "settings/shopcolorcheck.h"
#include "settings/tillboxglobalsettings.h"
#include "util/styledtext.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

// The cart font size each unit allows, and how the field writes it.
struct FontSizeUnit
{
    float minimum;
    float maximum;
    const char *format;
};
const FontSizeUnit kFontSizeUnits[] = {
    {0.5f, 2.0f, "%.2f"}, // em
    {8.0f, 22.0f, "%.0f"}, // pixels
};

QString currencyName(const QString &code)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("USD"), QObject::tr("US dollar")},       {QStringLiteral("EUR"), QObject::tr("Euro")},
        {QStringLiteral("GBP"), QObject::tr("Pound sterling")},  {QStringLiteral("AUD"), QObject::tr("Australian dollar")},
        {QStringLiteral("BRL"), QObject::tr("Brazilian real")},  {QStringLiteral("CAD"), QObject::tr("Canadian dollar")},
        {QStringLiteral("CNY"), QObject::tr("Chinese yuan")},    {QStringLiteral("CZK"), QObject::tr("Czech koruna")},
        {QStringLiteral("DKK"), QObject::tr("Danish krone")},    {QStringLiteral("HKD"), QObject::tr("Hong Kong dollar")},
        {QStringLiteral("HUF"), QObject::tr("Hungarian forint")}, {QStringLiteral("ILS"), QObject::tr("Israeli shekel")},
        {QStringLiteral("JPY"), QObject::tr("Japanese yen")},    {QStringLiteral("JOD"), QObject::tr("Jordanian dinar")},
        {QStringLiteral("MYR"), QObject::tr("Malaysian ringgit")}, {QStringLiteral("MXN"), QObject::tr("Mexican peso")},
        {QStringLiteral("NOK"), QObject::tr("Norwegian krone")}, {QStringLiteral("NZD"), QObject::tr("New Zealand dollar")},
        {QStringLiteral("PHP"), QObject::tr("Philippine peso")}, {QStringLiteral("PLN"), QObject::tr("Polish złoty")},
        {QStringLiteral("RON"), QObject::tr("Romanian leu")},    {QStringLiteral("RUB"), QObject::tr("Russian rouble")},
        {QStringLiteral("SGD"), QObject::tr("Singapore dollar")}, {QStringLiteral("KRW"), QObject::tr("South Korean won")},
        {QStringLiteral("SEK"), QObject::tr("Swedish krona")},   {QStringLiteral("CHF"), QObject::tr("Swiss franc")},
        {QStringLiteral("TWD"), QObject::tr("Taiwan dollar")},   {QStringLiteral("THB"), QObject::tr("Thai baht")},
    };
    return names.value(code, code);
}

// A read-only adapter: the widget shows fields, edits go another way.
FieldBinder::Adapter showOnly(std::function<void(const QVariant &)> show)
{
    return {std::move(show), []() -> std::optional<QVariant> { return std::nullopt; }};
}

QComboBox *choice(QWidget *parent, const QStringList &items)
{
    auto *box = new QComboBox(parent);
    box->addItems(items);
    return box;
}

QSpinBox *spin(QWidget *parent, int minimum, int maximum, const QString &suffix = QString())
{
    auto *box = new QSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setSuffix(suffix);
    box->setMinimumWidth(90);
    return box;
}

// A number with its unit beside it.
QWidget *pair(QWidget *parent, QWidget *first, QWidget *second)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addStretch();
    return row;
}

// Texts panes that keep their own table read the texts again on reload().
template <class Pane>
void reloadTextsPane(Pane *pane)
{
    if constexpr (requires { pane->reload(); })
        pane->reload();
    else
        pane->update();
}

} // namespace

ShopSettingsView::ShopSettingsView(EditorContext &context, QWidget *parent) : QWidget(parent), m_context(context)
{
    setAccessibleName(tr("Shop page options"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("settingsTabView"));
    m_tabs->addTab(buildCheckoutTab(), tr("Checkout"));
    m_tabs->addTab(buildCurrencyTab(), tr("Currency && Numbers"));
    m_tabs->addTab(new ScrollingPage(buildCartTab()), tr("Cart"));
    m_tabs->addTab(buildListingTab(), tr("Product Listing"));
    m_tabs->addTab(buildTextsTab(), tr("Texts"));
    m_tabs->addTab(buildPicturesTab(), tr("Pictures && Export"));
    layout->addWidget(m_tabs);

    connect(&context, &EditorContext::formatsChanged, this, &ShopSettingsView::updateCurrencyControls);
    updateCurrencyControls();
    setMinimumSize(740, 640);
    // Only text fields widen with the window; menus and numbers keep their size.
    for (QFormLayout *form : findChildren<QFormLayout *>())
        form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
}

// --- Checkout -------------------------------------------------------------------

QWidget *ShopSettingsView::buildCheckoutTab()
{
    FieldBinder &settings = m_context.settings();
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    m_checkoutPane = new CheckoutPane(m_context, tab);
    layout->addWidget(m_checkoutPane);

    auto *extras = new QGroupBox(tr("Coupons and terms"), tab);
    auto *form = new QVBoxLayout(extras);
    auto *coupons = new QCheckBox(tr("Shoppers can enter &coupon codes (needs PHP on the server)"), extras);
    settings.bind(coupons, QStringLiteral("enableCoupons"));
    form->addWidget(coupons);
    auto *disclaimer = new QCheckBox(tr("Shoppers must &agree to these terms before checking out:"), extras);
    settings.bind(disclaimer, QStringLiteral("enableDisclaimer"));
    form->addWidget(disclaimer);
    auto *terms = new QPlainTextEdit(extras);
    terms->setAccessibleName(tr("Terms shoppers agree to"));
    terms->setTabChangesFocus(true);
    terms->setFixedHeight(terms->fontMetrics().lineSpacing() * 3 + 12);
    settings.bind(terms, QStringLiteral("cartDisclaimerLabel"));
    form->addWidget(terms);
    layout->addWidget(extras);
    layout->addStretch();
    return tab;
}

void ShopSettingsView::handleCheckoutChange()
{
    m_checkoutPane->handleCheckoutChange();
}

// --- Currency and numbers ---------------------------------------------------------

QWidget *ShopSettingsView::buildCurrencyTab()
{
    FieldBinder &settings = m_context.settings();
    FieldBinder &currency = m_context.currency();
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);

    auto *currencyBox = new QGroupBox(tr("Currency"), tab);
    auto *form = new QFormLayout(currencyBox);
    m_currencyPopUpButton = new QComboBox(currencyBox);
    m_currencyPopUpButton->setObjectName(QStringLiteral("currencyPopUpButton"));
    for (const CurrencyTables::Currency &row : CurrencyTables::currencies())
        m_currencyPopUpButton->addItem(QStringLiteral("%1 (%2, %3)").arg(currencyName(row.code), row.code, row.symbol),
                                       row.tag);
    m_currencyPopUpButton->addItem(tr("Other currency (type its code and symbol)"), CurrencyTables::CustomTag);
    m_currencyPopUpButton->setMaxVisibleItems(15);
    currency.bindWidget(m_currencyPopUpButton, QStringLiteral("tag"), showOnly([this](const QVariant &tag) {
                            m_currencyPopUpButton->setCurrentIndex(m_currencyPopUpButton->findData(tag.toInt()));
                        }));
    connect(m_currencyPopUpButton, &QComboBox::activated, this,
            [this](int index) { chooseCurrency(m_currencyPopUpButton->itemData(index).toInt()); });

    auto *warning = new QLabel(currencyBox);
    warning->setObjectName(QStringLiteral("currencyWarningView"));
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    warning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    warning->setToolTip(TillboxPlugin::pluginBundle().localizedString(QStringLiteral("CurrencyWarningTooltipLabel")));
    warning->setAccessibleName(tr("Currency note"));
    warning->setAccessibleDescription(warning->toolTip());
    auto *currencyLabel = new QLabel(tr("C&urrency:"), currencyBox);
    currencyLabel->setBuddy(m_currencyPopUpButton);
    form->addRow(currencyLabel, pair(currencyBox, m_currencyPopUpButton, warning));

    // Code, symbol and side are typed in for the "other" currency only.
    m_customCurrencyBox = new QWidget(currencyBox);
    auto *custom = new QHBoxLayout(m_customCurrencyBox);
    custom->setContentsMargins(0, 0, 0, 0);
    auto *code = new QLineEdit(m_customCurrencyBox);
    code->setObjectName(QStringLiteral("currencyCodeTextField"));
    code->setMaxLength(3);
    code->setMaximumWidth(60);
    code->setToolTip(tr("The three-letter ISO code the payment services receive"));
    currency.bind(code, QStringLiteral("code"));
    auto *symbol = new QLineEdit(m_customCurrencyBox);
    symbol->setObjectName(QStringLiteral("currencySymbolTextField"));
    symbol->setMaximumWidth(80);
    currency.bind(symbol, QStringLiteral("symbol"));
    auto *position = new QComboBox(m_customCurrencyBox);
    position->setObjectName(QStringLiteral("currencyPositionPopUpButton"));
    position->addItem(tr("before the amount"), 1);
    position->addItem(tr("after the amount"), 0);
    currency.bind(position, QStringLiteral("shownOnLeft"));
    auto *codeLabel = new QLabel(tr("Co&de:"), m_customCurrencyBox);
    codeLabel->setBuddy(code);
    auto *symbolLabel = new QLabel(tr("S&ymbol:"), m_customCurrencyBox);
    symbolLabel->setBuddy(symbol);
    position->setAccessibleName(tr("Symbol position"));
    custom->addWidget(codeLabel);
    custom->addWidget(code);
    custom->addSpacing(8);
    custom->addWidget(symbolLabel);
    custom->addWidget(symbol);
    custom->addWidget(position);
    custom->addStretch();
    form->addRow(QString(), m_customCurrencyBox);

    auto *space = new QCheckBox(tr("&Space between symbol and amount"), currencyBox);
    currency.bind(space, QStringLiteral("spaceBetweenSymbolAndPrice"));
    form->addRow(QString(), space);
    layout->addWidget(currencyBox);

    auto *numbers = new QGroupBox(tr("Numbers and taxes"), tab);
    auto *numberForm = new QFormLayout(numbers);
    auto *decimals = choice(numbers, {tr("None"), tr("1"), tr("2"), tr("3"), tr("4")});
    decimals->setObjectName(QStringLiteral("decimalNumberPopUpButton"));
    settings.bind(decimals, QStringLiteral("decimalNumberIndex"));
    numberForm->addRow(tr("Decimal &places:"), decimals);
    auto *separator = choice(numbers, {tr("1,234.56 (point)"), tr("1.234,56 (comma)")});
    separator->setObjectName(QStringLiteral("decimalSeparatorPopUpButton"));
    settings.bind(separator, QStringLiteral("decimalSeparatorIndex"));
    numberForm->addRow(tr("Decimal &separator:"), separator);
    m_priceExample = new QLabel(numbers);
    m_priceExample->setObjectName(QStringLiteral("priceExampleLabel"));
    numberForm->addRow(tr("Prices look like:"), m_priceExample);
    auto *tax = new QLineEdit(numbers);
    tax->setObjectName(QStringLiteral("defaultTaxRateTextField"));
    tax->setMaximumWidth(120);
    tax->setAlignment(Qt::AlignRight);
    tax->setToolTip(tr("New products get this tax rate"));
    settings.bindNumber(tax, QStringLiteral("defaultTaxRate"), FieldBinder::NumberRole::Percent);
    numberForm->addRow(tr("Default &tax rate:"), tax);
    auto *including = new QCheckBox(tr("Show prices &including taxes"), numbers);
    settings.bind(including, QStringLiteral("showPricesIncludingTaxes"));
    numberForm->addRow(QString(), including);
    layout->addWidget(numbers);
    layout->addStretch();
    return tab;
}

void ShopSettingsView::chooseCurrency(int tag)
{
    TillboxPlugin &plugin = m_context.plugin();
    m_context.push(new RecordedChangeCommand(m_context, m_context.currency(),
                                             {QStringLiteral("tag"), QStringLiteral("code"), QStringLiteral("symbol"),
                                              QStringLiteral("shownOnLeft")},
                                             [&plugin, tag] { plugin.setCurrency(tag); }, tr("Choose Currency")));
    // Without an attached editor the plug-in has no one to tell.
    if (!plugin.editor())
        m_context.setFormats(plugin.currencyRefresh());
}

void ShopSettingsView::updateCurrencyControls()
{
    const CurrencyRefresh &formats = m_context.formats();
    m_customCurrencyBox->setEnabled(formats.customCurrencyControlsEnabled);
    m_priceExample->setText(formats.priceFormatter.stringFromNumber(1234.5));
}

// --- Cart ---------------------------------------------------------------------------

QString ShopSettingsView::validatedCartFontSize(const QString &text, int unitIndex)
{
    if (unitIndex < 0 || unitIndex >= int(std::size(kFontSizeUnits)))
        return QString();
    // Like a C number read: the leading number counts, anything else reads 0.
    static const QRegularExpression leadingNumber(QStringLiteral("^\\s*[-+]?(\\d+[.,]?\\d*|[.,]\\d+)"));
    const QRegularExpressionMatch match = leadingNumber.match(text);
    float size = match.hasMatch() ? match.captured(0).trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toFloat()
                                  : 0.0f;
    const FontSizeUnit &unit = kFontSizeUnits[unitIndex];
    size = std::clamp(size, unit.minimum, unit.maximum);
    return QString::asprintf(unit.format, double(size));
}

void ShopSettingsView::validateCartFontSizeTextField()
{
    m_cartFontSizeTextField->setText(
        validatedCartFontSize(m_cartFontSizeTextField->text(), m_cartFontSizeUnit->currentIndex()));
}

QWidget *ShopSettingsView::buildCartTab()
{
    FieldBinder &settings = m_context.settings();
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);

    auto *look = new QGroupBox(tr("Size and place"), tab);
    auto *form = new QFormLayout(look);
    m_cartFontSizeTextField = new QLineEdit(look);
    m_cartFontSizeTextField->setObjectName(QStringLiteral("cartFontSizeTextField"));
    m_cartFontSizeTextField->setMaximumWidth(80);
    m_cartFontSizeTextField->setAlignment(Qt::AlignRight);
    m_cartFontSizeTextField->setToolTip(tr("0.50 to 2.00 em, or 8 to 22 pixels"));
    m_cartFontSizeUnit = choice(look, {tr("em"), tr("pixels")});
    m_cartFontSizeUnit->setObjectName(QStringLiteral("cartFontSizeUnitPopUpButton"));
    m_cartFontSizeUnit->setAccessibleName(tr("Font size unit"));
    const QString fontSizeField = QStringLiteral("cartFontSize");
    const auto commitFontSize = settings.bindWidget(
        m_cartFontSizeTextField, fontSizeField,
        {[this](const QVariant &value) {
             const int unit = m_cartFontSizeUnit->currentIndex();
             m_cartFontSizeTextField->setText(unit >= 0 && unit < int(std::size(kFontSizeUnits))
                                                  ? QString::asprintf(kFontSizeUnits[unit].format, value.toDouble())
                                                  : QString());
         },
         [this, &settings, fontSizeField]() -> std::optional<QVariant> {
             // An untouched field keeps the stored size, which it may show rounded.
             const QString shown = m_cartFontSizeTextField->text();
             validateCartFontSizeTextField();
             if (m_cartFontSizeTextField->text().isEmpty())
                 return std::nullopt;
             const QVariant stored = settings.record().value(fontSizeField);
             if (m_cartFontSizeTextField->text() == shown &&
                 shown == validatedCartFontSize(stored.toString(), m_cartFontSizeUnit->currentIndex()))
                 return stored;
             return QVariant(m_cartFontSizeTextField->text().toFloat());
         }});
    connect(m_cartFontSizeTextField, &QLineEdit::editingFinished, this, [commitFontSize] { commitFontSize(); });
    // A size in the old unit means little in the new one: the new unit and
    // the size brought into its range are one step.
    const QString unitField = QStringLiteral("cartFontSizeUnitIndex");
    settings.bindWidget(m_cartFontSizeUnit, unitField,
                        showOnly([this](const QVariant &unit) { m_cartFontSizeUnit->setCurrentIndex(unit.toInt()); }));
    connect(m_cartFontSizeUnit, &QComboBox::activated, this, [this, &settings, unitField, commitFontSize](int unit) {
        const QVariant stored = settings.record().value(unitField);
        if (stored.toInt() == unit)
            return;
        m_context.undoStack()->beginMacro(tr("Change Font Size Unit"));
        m_context.push(new SetFieldCommand(m_context, &settings, settings.record(), unitField, stored, unit));
        commitFontSize();
        m_context.undoStack()->endMacro();
    });
    // The size is written in its unit's form, so a new unit shows it anew.
    settings.bindWidget(m_cartFontSizeTextField, QStringLiteral("cartFontSizeUnitIndex"),
                        showOnly([&settings, fontSizeField](const QVariant &) { settings.showField(fontSizeField); }));
    auto *fontLabel = new QLabel(tr("&Font size:"), look);
    fontLabel->setBuddy(m_cartFontSizeTextField);
    form->addRow(fontLabel, pair(look, m_cartFontSizeTextField, m_cartFontSizeUnit));

    auto *width = spin(look, 0, 4000);
    width->setObjectName(QStringLiteral("cartWidthTextField"));
    settings.bind(width, QStringLiteral("cartWidth"));
    auto *widthUnit = choice(look, {tr("pixels"), tr("% of the page")});
    widthUnit->setAccessibleName(tr("Width unit"));
    settings.bind(widthUnit, QStringLiteral("cartWidthUnitIndex"));
    auto *widthLabel = new QLabel(tr("&Width:"), look);
    widthLabel->setBuddy(width);
    form->addRow(widthLabel, pair(look, width, widthUnit));

    auto *position = choice(look, {tr("Top of the window"), tr("Bottom of the window")});
    settings.bind(position, QStringLiteral("cartPositionIndex"));
    form->addRow(tr("&Position:"), position);
    auto *alignment = choice(look, {tr("Left"), tr("Centre"), tr("Right")});
    settings.bind(alignment, QStringLiteral("cartAlignmentIndex"));
    form->addRow(tr("&Alignment:"), alignment);

    auto *priceWidth = spin(look, 0, 2000);
    settings.bind(priceWidth, QStringLiteral("cartPriceColumnWidth"));
    auto *priceUnit = choice(look, {tr("pixels"), tr("% of the cart")});
    priceUnit->setAccessibleName(tr("Price column width unit"));
    settings.bind(priceUnit, QStringLiteral("cartPriceColumnWidthUnitIndex"));
    auto *priceLabel = new QLabel(tr("Price &column width:"), look);
    priceLabel->setBuddy(priceWidth);
    form->addRow(priceLabel, pair(look, priceWidth, priceUnit));

    auto *pictures = spin(look, 16, 512, tr(" px"));
    settings.bind(pictures, QStringLiteral("cartProductImagesSize"));
    form->addRow(tr("Product &pictures:"), pictures);

    // Each set shown by its full-cart icon.
    auto *icons = new QComboBox(look);
    icons->setIconSize(QSize(24, 24));
    const Bundle &bundle = TillboxPlugin::pluginBundle();
    icons->addItem(QIcon(bundle.pathForImageResource(QStringLiteral("x_iconCartFull"))), tr("Set 1"));
    icons->addItem(QIcon(bundle.pathForImageResource(QStringLiteral("v_iconCartFull"))), tr("Set 2"));
    settings.bind(icons, QStringLiteral("cartIconSetIndex"));
    form->addRow(tr("&Icons:"), icons);
    layout->addWidget(look);

    layout->addWidget(buildColors(tab));

    auto *behaviour = new QGroupBox(tr("Behaviour"), tab);
    auto *behaviourForm = new QFormLayout(behaviour);
    auto *effects = new QDoubleSpinBox(behaviour);
    effects->setRange(0.0, 5.0);
    effects->setSingleStep(0.1);
    effects->setDecimals(2);
    effects->setSuffix(tr(" s"));
    effects->setMinimumWidth(90);
    const auto commitEffects = settings.bindWidget(
        effects, QStringLiteral("effectsDuration"),
        {[effects](const QVariant &value) { effects->setValue(value.toDouble()); },
         [effects, &settings]() -> std::optional<QVariant> {
             // The box rounds to hundredths; an untouched box keeps the stored time.
             const QVariant stored = settings.record().value(QStringLiteral("effectsDuration"));
             if (qFuzzyCompare(effects->value(), effects->valueFromText(effects->textFromValue(stored.toDouble()))))
                 return stored;
             return QVariant(float(effects->value()));
         }});
    connect(effects, &QDoubleSpinBox::editingFinished, this, [commitEffects] { commitEffects(); });
    behaviourForm->addRow(tr("&Effects take:"), effects);
    auto *expiry = spin(behaviour, 0, 8760, tr(" hours"));
    expiry->setSpecialValueText(tr("until the browser closes"));
    settings.bind(expiry, QStringLiteral("cartExpiration"));
    behaviourForm->addRow(tr("Cart &kept for:"), expiry);
    auto *cartID = new QLineEdit(behaviour);
    cartID->setToolTip(tr("Pages with the same cart name share one cart"));
    settings.bind(cartID, QStringLiteral("cartID"));
    behaviourForm->addRow(tr("Cart &name:"), cartID);
    auto *returnURL = new QLineEdit(behaviour);
    returnURL->setPlaceholderText(tr("https://example.com/thank-you.html"));
    returnURL->setToolTip(tr("Where the payment service sends shoppers after paying"));
    settings.bind(returnURL, QStringLiteral("cartReturnURL"));
    behaviourForm->addRow(tr("&Return address:"), returnURL);
    layout->addWidget(behaviour);
    layout->addStretch();
    return tab;
}

QWidget *ShopSettingsView::buildColors(QWidget *parent)
{
    FieldBinder &settings = m_context.settings();
    auto *box = new QGroupBox(tr("Colours"), parent);
    auto *grid = new QGridLayout(box);
    grid->setColumnStretch(2, 1);

    struct Row
    {
        const char *field;
        QString title;
    };
    const QList<Row> rows = {
        {"cartBackgroundColor", tr("Background")},   {"cartTextColor", tr("Text")},
        {"cartButtonColor", tr("Buttons")},          {"cartBorderColor", tr("Border")},
        {"cartImageBackgroundColor", tr("Behind pictures")},
    };
    int line = 0;
    for (const Row &row : rows) {
        const QString field = QLatin1String(row.field);
        auto *well = new ColorWell(tr("Cart colour: %1").arg(row.title), box);
        well->setObjectName(field + QLatin1String("Well"));
        m_colorWells.insert(field, well);
        const auto commit = settings.bindWidget(
            well, field,
            {[well](const QVariant &value) {
                 well->setColor(value.isValid() ? std::optional<Color>(value.value<Color>()) : std::nullopt);
             },
             [well]() -> std::optional<QVariant> {
                 return well->color() ? QVariant::fromValue(*well->color()) : QVariant();
             }});
        m_colorCommits.insert(field, commit);
        connect(well, &ColorWell::colorChosen, this, [commit] { commit(); });
        auto *label = new QLabel(row.title + QLatin1Char(':'), box);
        label->setBuddy(well);
        grid->addWidget(label, line, 0);
        grid->addWidget(well, line, 1);
        ++line;
    }

    // Text the shoppers cannot read well: beside the colour to change.
    const auto warningFor = [this, &settings](const QString &place, const QStringList &fields) {
        auto *warning = new ColorWarningLabel;
        warning->setObjectName(place + QLatin1String("ContrastWarning"));
        const auto update = [this, warning, place](const QVariant &) {
            QList<ColorContrastWarning> found;
            for (const ColorContrastWarning &w :
                 ShopColorCheck::settingsWarnings(*m_context.plugin().globalSettings())) {
                if (w.field == place)
                    found << w;
            }
            warning->setWarnings(found);
        };
        for (const QString &field : fields)
            settings.bindWidget(warning, field, showOnly(update));
        connect(warning, &ColorWarningLabel::suggestionChosen, this, &ShopSettingsView::useSuggestedShade);
        return warning;
    };
    grid->addWidget(warningFor(QStringLiteral("cartTextColor"),
                               {QStringLiteral("cartTextColor"), QStringLiteral("cartBackgroundColor")}),
                    1, 2);
    grid->addWidget(warningFor(QStringLiteral("cartButtonColor"),
                               {QStringLiteral("cartTextColor"), QStringLiteral("cartButtonColor")}),
                    2, 2);

    // The page's own text: the colours of the header and footer on a white page.
    auto *pageWarning = new ColorWarningLabel;
    pageWarning->setObjectName(QStringLiteral("pageTextContrastWarning"));
    const auto updatePage = [this, pageWarning](const QVariant &) {
        const TillboxGlobalSettings &record = *m_context.plugin().globalSettings();
        QList<ColorContrastWarning> found;
        const Color white(1, 1, 1);
        for (const auto &text : {record.pageHeader(), record.pageFooter()}) {
            if (!text)
                continue;
            for (const ColorContrastWarning &w : ShopColorCheck::styledTextWarnings(*text, white)) {
                const bool seen = std::any_of(found.cbegin(), found.cend(),
                                              [&w](const ColorContrastWarning &f) { return f.foreground == w.foreground; });
                if (!seen)
                    found << w;
            }
        }
        pageWarning->setWarnings(found);
    };
    settings.bindWidget(pageWarning, QStringLiteral("pageHeader"), showOnly(updatePage));
    settings.bindWidget(pageWarning, QStringLiteral("pageFooter"), showOnly(updatePage));
    grid->addWidget(pageWarning, line, 0, 1, 3);
    return box;
}

void ShopSettingsView::useSuggestedShade(const QString &field, const Color &shade)
{
    ColorWell *well = m_colorWells.value(field);
    if (!well)
        return;
    well->setColor(shade);
    m_colorCommits.value(field)();
}

// --- Product listing ------------------------------------------------------------------

QWidget *ShopSettingsView::buildListingTab()
{
    FieldBinder &settings = m_context.settings();
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    auto *form = new QFormLayout;
    auto *columns = choice(tab, {tr("1"), tr("2"), tr("3"), tr("4"), tr("5"), tr("6")});
    columns->setObjectName(QStringLiteral("cartColumnsPopUpButton"));
    settings.bind(columns, QStringLiteral("cartColumnsIndex"));
    form->addRow(tr("Products per &row:"), columns);
    auto *quantity = new QCheckBox(tr("Shoppers can type a &quantity beside each product"), tab);
    settings.bind(quantity, QStringLiteral("showQuantityField"));
    form->addRow(QString(), quantity);
    layout->addLayout(form);

    auto *custom = new QGroupBox(tr("Product layout"), tab);
    auto *customLayout = new QVBoxLayout(custom);
    auto *useCustom = new QCheckBox(tr("Use my own &HTML layout for each product"), custom);
    settings.bind(useCustom, QStringLiteral("useCustomLayout"));
    customLayout->addWidget(useCustom);
    auto *html = new QPlainTextEdit(custom);
    html->setObjectName(QStringLiteral("customLayoutTextView"));
    html->setAccessibleName(tr("Product layout HTML"));
    html->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    html->setLineWrapMode(QPlainTextEdit::NoWrap);
    html->setTabStopDistance(html->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    html->setTabChangesFocus(true);
    settings.bind(html, QStringLiteral("customLayout"));
    customLayout->addWidget(html, 1);
    auto *buttons = new QHBoxLayout;
    auto *useDefault = new QPushButton(tr("Use &Default Layout"), custom);
    useDefault->setObjectName(QStringLiteral("useDefaultLayoutButton"));
    connect(useDefault, &QPushButton::clicked, this, [this] {
        TillboxPlugin &plugin = m_context.plugin();
        m_context.push(new RecordedChangeCommand(m_context, m_context.settings(), {QStringLiteral("customLayout")},
                                                 [&plugin] { plugin.useDefaultLayout(); }, tr("Use Default Layout")));
    });
    buttons->addWidget(useDefault);
    buttons->addStretch();
    customLayout->addLayout(buttons);
    layout->addWidget(custom, 1);
    return tab;
}

// --- Texts ------------------------------------------------------------------------------

QWidget *ShopSettingsView::buildTextsTab()
{
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);
    auto *intro = new QLabel(tr("The words the cart and the product listing show to shoppers."), tab);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_textsPane = new ShopTextsPane(m_context, tab);
    layout->addWidget(m_textsPane, 1);
    // The pane reads the texts again whenever they change as a whole (reset,
    // paste, undo).
    m_context.settings().bindWidget(m_textsPane, QStringLiteral("localizableStrings"),
                                    showOnly([this](const QVariant &) { reloadTextsPane(m_textsPane); }));
    auto *buttons = new QHBoxLayout;
    auto *useDefault = new QPushButton(tr("Use &Default Texts"), tab);
    useDefault->setObjectName(QStringLiteral("useDefaultTextsButton"));
    connect(useDefault, &QPushButton::clicked, this, [this] {
        TillboxPlugin &plugin = m_context.plugin();
        m_context.push(new RecordedChangeCommand(m_context, m_context.settings(),
                                                 {QStringLiteral("localizableStrings")},
                                                 [&plugin] { plugin.useDefaultLocalizableStrings(); },
                                                 tr("Use Default Texts")));
        reloadShopperTexts();
    });
    buttons->addWidget(useDefault);
    buttons->addStretch();
    layout->addLayout(buttons);
    return tab;
}

void ShopSettingsView::reloadShopperTexts()
{
    m_context.settings().showField(QStringLiteral("localizableStrings"));
}

// --- Pictures and export --------------------------------------------------------------

QWidget *ShopSettingsView::buildPicturesTab()
{
    FieldBinder &settings = m_context.settings();
    auto *tab = new QWidget;
    auto *layout = new QVBoxLayout(tab);

    auto *pictures = new QGroupBox(tr("Product pictures"), tab);
    auto *form = new QFormLayout(pictures);
    auto *threshold = spin(pictures, 16, 8192, tr(" px"));
    threshold->setObjectName(QStringLiteral("normalisationThresholdTextField"));
    threshold->setToolTip(tr("Pictures larger than this on either side are scaled down"));
    settings.bind(threshold, QStringLiteral("normalisationThreshold"));
    form->addRow(tr("Scale pictures down to &at most:"), threshold);
    auto *onSave = new QCheckBox(tr("Scale pictures down when the page is &saved"), pictures);
    settings.bind(onSave, QStringLiteral("normaliseOnSave"));
    form->addRow(QString(), onSave);
    auto *format = new QCheckBox(tr("&Keep each picture's own file format (otherwise JPEG or PNG)"), pictures);
    settings.bind(format, QStringLiteral("preserveImageFormat"));
    form->addRow(QString(), format);
    layout->addWidget(pictures);

    auto *page = new QGroupBox(tr("Published page"), tab);
    auto *pageLayout = new QVBoxLayout(page);
    auto *compatibility = new QCheckBox(tr("&Compatibility mode: the cart sits in the page, without a fixed bar or "
                                           "effects"),
                                        page);
    settings.bind(compatibility, QStringLiteral("enableCompatibilityMode"));
    pageLayout->addWidget(compatibility);
    auto *php = new QCheckBox(tr("&Warn in the preview when coupons or direct orders need PHP"), page);
    settings.bind(php, QStringLiteral("warnAboutMissingPHP"));
    pageLayout->addWidget(php);
    auto *copyRow = new QHBoxLayout;
    auto *copy = new QPushButton(tr("Copy Cart &Header"), page);
    copy->setObjectName(QStringLiteral("copyTemplateHeaderButton"));
    copy->setToolTip(tr("Puts the cart's configuration block on the clipboard, for pages made by hand"));
    connect(copy, &QPushButton::clicked, this, &ShopSettingsView::copyTemplateHeader);
    copyRow->addWidget(copy);
    copyRow->addStretch();
    pageLayout->addLayout(copyRow);
    layout->addWidget(page);
    layout->addStretch();
    return tab;
}

void ShopSettingsView::copyTemplateHeader()
{
    const std::optional<QString> header = m_context.plugin().pageContentHeadersTemplateWithParams(std::nullopt);
    QGuiApplication::clipboard()->setText(header.value_or(QString()));
}
