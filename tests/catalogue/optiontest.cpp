#include "catalogue/catalogueutil.h"

#include "catalogue/tillboxproductoption.h"
#include "host/bundle.h"

#include <gtest/gtest.h>

using namespace testsupport;
using catalogueutil::option;

// A new option is a value list without values; its type tag decides whether
// values are shown, and setting the switch alone stores just the switch.
TEST(TillboxOption, NewOptionAndTheTagThatDrivesItsSwitch)
{
    const auto created = TillboxOption::create();
    EXPECT_EQ(created->optionName(), Bundle::plugin().localizedString(QStringLiteral("NewProductOption")));
    EXPECT_EQ(created->optionTypeTag(), 20);
    EXPECT_TRUE(created->hasOptionValues());
    EXPECT_EQ(TillboxOptionValue::create()->optionValueName(),
              Bundle::plugin().localizedString(QStringLiteral("NewOptionValue")));
    EXPECT_EQ(TillboxProductOption::create()->optionName(), created->optionName());

    created->optionValuesArray().append(TillboxOptionValue::create());
    for (const int tag : {10, 15, 20}) {
        created->setOptionTypeTag(tag);
        EXPECT_EQ(created->hasOptionValues(), tag == 20) << tag;
    }
    EXPECT_EQ(created->optionValuesArray().size(), 1);
    created->setHasOptionValues(false);
    EXPECT_EQ(created->optionTypeTag(), 20);
    EXPECT_FALSE(created->hasOptionValues());
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

TEST(TillboxOption, CopySharesNothingAndFollowsTheTag)
{
    auto source = option(10, QStringLiteral("Size"), {{QStringLiteral("S"), 1, 2}});
    source->setHasOptionValues(true); // the copy follows the tag, not this flag
    const auto copy = source->copy();
    EXPECT_FALSE(copy->hasOptionValues());
    source->setHasOptionValues(false);
    EXPECT_EQ(copy->toJson(), source->toJson());

    copy->optionValuesArray()[0]->setOptionValueName(QStringLiteral("XL"));
    copy->optionValuesArray().append(TillboxOptionValue::create());
    EXPECT_EQ(source->optionValuesArray().size(), 1);
    EXPECT_EQ(source->optionValuesArray()[0]->optionValueName(), QStringLiteral("S"));
}
