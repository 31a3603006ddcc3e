#include "support/testsupport.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxproductoption.h"
#include "host/bundle.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

std::shared_ptr<TillboxOptionValue> makeValue(const QString &name, float price, float weight)
{
    auto value = std::make_shared<TillboxOptionValue>();
    value->setOptionValueName(name);
    value->setOptionValuePrice(price);
    value->setOptionValueWeight(weight);
    return value;
}

} // namespace

TEST(TillboxOption, NewOptionIsAnEmptyValueList)
{
    const auto option = TillboxOption::create();
    EXPECT_EQ(option->optionName(), Bundle::plugin().localizedString(QStringLiteral("NewProductOption")));
    EXPECT_EQ(option->optionTypeTag(), 20);
    EXPECT_TRUE(option->hasOptionValues());
    EXPECT_EQ(TillboxOptionValue::create()->optionValueName(),
              Bundle::plugin().localizedString(QStringLiteral("NewOptionValue")));
    EXPECT_EQ(TillboxProductOption::create()->optionName(), option->optionName());
}

TEST(TillboxOption, TagDrivesFlagAndKeepsValues)
{
    auto option = TillboxOption::create();
    option->optionValuesArray().append(makeValue(QStringLiteral("S"), 0, 0));
    for (const int tag : {10, 15}) {
        option->setOptionTypeTag(tag);
        EXPECT_FALSE(option->hasOptionValues()) << tag;
    }
    option->setOptionTypeTag(20);
    EXPECT_TRUE(option->hasOptionValues());
    EXPECT_EQ(option->optionValuesArray().size(), 1);
    option->setHasOptionValues(false); // plain store
    EXPECT_EQ(option->optionTypeTag(), 20);
    EXPECT_FALSE(option->hasOptionValues());
}

TEST(TillboxOption, RoundTripKeepsTagValuesAndExactFloats)
{
    TillboxOption option;
    option.setOptionName(QStringLiteral("Engraving"));
    option.setOptionTypeTag(15);
    option.setOptionValuesArray({makeValue(QStringLiteral("a"), -1.5f, 0.25f), makeValue(QStringLiteral("b"), 0.1f, 3),
                                 makeValue(QString(), 0, 0)});
    const auto loaded = unarchive<TillboxOption>(KeyedArchiver::archivedData(option));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->toJson(), option.toJson());
    EXPECT_FALSE(loaded->hasOptionValues());
    ASSERT_EQ(loaded->optionValuesArray().size(), 3);
    EXPECT_EQ(loaded->optionValuesArray()[1]->optionValuePrice(), 0.1f);
}

TEST(TillboxOption, MissingKeysLoadAsZeroWithAnEmptyList)
{
    const auto loaded = unarchive<TillboxOption>(storedArchive<TillboxOption>([](KeyedArchiver &coder) {
        coder.encodeString("OptionName", QStringLiteral("Colour"));
    }));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->optionName(), QStringLiteral("Colour"));
    EXPECT_EQ(loaded->optionTypeTag(), 0);
    EXPECT_FALSE(loaded->hasOptionValues());
    // An empty list rather than none: values the editor adds must not vanish.
    EXPECT_TRUE(loaded->optionValuesArray().isEmpty());
}

TEST(TillboxOption, CopySharesNothing)
{
    auto source = TillboxOption::create();
    source->setOptionName(QStringLiteral("Size"));
    source->setOptionTypeTag(10);
    source->setHasOptionValues(true); // the copy follows the tag, not this flag
    source->optionValuesArray().append(makeValue(QStringLiteral("S"), 1, 2));

    const auto copy = source->copy();
    EXPECT_FALSE(copy->hasOptionValues());
    source->setHasOptionValues(false);
    EXPECT_EQ(copy->toJson(), source->toJson());

    copy->optionValuesArray()[0]->setOptionValueName(QStringLiteral("XL"));
    copy->optionValuesArray().append(makeValue(QStringLiteral("M"), 0, 0));
    EXPECT_EQ(source->optionValuesArray().size(), 1);
    EXPECT_EQ(source->optionValuesArray()[0]->optionValueName(), QStringLiteral("S"));
}
