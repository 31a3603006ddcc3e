#pragma once

#include "archive/keyedarchiver.h"

#include <memory>

// Small records used to exercise every value kind of the keyed archive.
struct TestLeaf
{
    QString name;
    float price = 0;

    static QStringList archiveClassNames() { return {QStringLiteral("TestLeaf"), QStringLiteral("NSObject")}; }
    void encodeWithCoder(KeyedArchiver &coder) const
    {
        coder.encodeString("Name", name);
        coder.encodeFloatNumber("Price", price);
    }
    static std::shared_ptr<TestLeaf> initWithCoder(KeyedUnarchiver &coder)
    {
        auto leaf = std::make_shared<TestLeaf>();
        leaf->name = coder.decodeString("Name");
        leaf->price = coder.decodeFloat("Price");
        return leaf;
    }
};

struct TestRecord
{
    int32_t intNumber = 0;
    bool boolNumber = false;
    float floatNumber = 0;
    bool nativeBool = false;
    int32_t nativeInt = 0;
    QString string;
    QString absentString;
    QByteArray data;
    std::optional<QDateTime> date;
    std::optional<Color> color;
    std::optional<StyledText> styled;
    std::optional<QMap<QString, QString>> dictionary;
    QList<std::shared_ptr<TestLeaf>> leaves;
    std::shared_ptr<TestLeaf> shared; // also encoded twice to test shared references

    static QStringList archiveClassNames() { return {QStringLiteral("TestRecord"), QStringLiteral("NSObject")}; }
    void encodeWithCoder(KeyedArchiver &coder) const
    {
        coder.encodeIntNumber("IntNumber", intNumber);
        coder.encodeBoolNumber("BoolNumber", boolNumber);
        coder.encodeFloatNumber("FloatNumber", floatNumber);
        coder.encodeBool("NativeBool", nativeBool);
        coder.encodeInt32("NativeInt", nativeInt);
        coder.encodeString("String", string);
        coder.encodeString("AbsentString", absentString);
        coder.encodeData("Data", data);
        coder.encodeDate("Date", date);
        coder.encodeColor("Color", color);
        coder.encodeStyledText("Styled", styled);
        coder.encodeStringDictionary("Dictionary", dictionary);
        coder.encodeObjectList("Leaves", leaves);
        coder.encodeObject("Shared", shared);
        coder.encodeObject("SharedAgain", shared);
    }
    static std::shared_ptr<TestRecord> initWithCoder(KeyedUnarchiver &coder)
    {
        auto r = std::make_shared<TestRecord>();
        r->intNumber = coder.decodeInt32("IntNumber");
        r->boolNumber = coder.decodeBool("BoolNumber");
        r->floatNumber = coder.decodeFloat("FloatNumber");
        r->nativeBool = coder.decodeBool("NativeBool");
        r->nativeInt = coder.decodeInt32("NativeInt");
        r->string = coder.decodeString("String");
        r->absentString = coder.decodeString("AbsentString");
        r->data = coder.decodeData("Data");
        r->date = coder.decodeDate("Date");
        r->color = coder.decodeColor("Color");
        r->styled = coder.decodeStyledText("Styled");
        r->dictionary = coder.decodeStringDictionary("Dictionary");
        r->leaves = coder.decodeObjectList<TestLeaf>("Leaves").value_or(QList<std::shared_ptr<TestLeaf>>{});
        r->shared = coder.decodeObject<TestLeaf>("Shared");
        auto again = coder.decodeObject<TestLeaf>("SharedAgain");
        if (again != r->shared)
            coder.failWithError(QStringLiteral("shared object decoded twice"));
        return r;
    }
};

// A record with a chosen class name and one child reference, to build
// damaged graphs (cycles, wrong classes) on purpose.
struct TestNode
{
    std::shared_ptr<TestNode> child;
    static QStringList archiveClassNames() { return {QStringLiteral("TestNode"), QStringLiteral("NSObject")}; }
    void encodeWithCoder(KeyedArchiver &coder) const { coder.encodeObject("Child", child); }
    static std::shared_ptr<TestNode> initWithCoder(KeyedUnarchiver &coder)
    {
        auto node = std::make_shared<TestNode>();
        node->child = coder.decodeObject<TestNode>("Child");
        return node;
    }
};

TestRecord makeFullTestRecord();
