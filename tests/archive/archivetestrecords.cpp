#include "archive/archivetestrecords.h"

TestRecord makeFullTestRecord()
{
    TestRecord r;
    r.intNumber = -5;
    r.boolNumber = true;
    r.floatNumber = 0.1f;
    r.nativeBool = true;
    r.nativeInt = -70000;
    r.string = QStringLiteral("Grüße, \"shop\" \u5143");
    r.data = QByteArray("\x00\x01\xff tail", 8);
    r.date = QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC);
    r.color = Color(0.5, 34.0 / 255.0, 1.0, 0.25);
    StyledText styled;
    TextAttributes bold;
    bold.font = TextFont{QStringLiteral("Helvetica-Bold"), 14.0};
    bold.color = Color(1, 0, 0);
    TextAttributes link;
    link.link = QStringLiteral("https://example.com/?a=1&b=2");
    link.underline = true;
    link.alignment = TextAlignment::Center;
    styled.append(QStringLiteral("Plain "));
    styled.append(QStringLiteral("bold"), bold);
    styled.append(QStringLiteral(" link"), link);
    styled.append(QStringLiteral(" plain again"));
    r.styled = styled;
    r.dictionary = QMap<QString, QString>{{QStringLiteral("Add to cart"), QStringLiteral("In den Warenkorb")},
                                          {QStringLiteral("Total"), QStringLiteral("")}};
    for (int i = 0; i < 3; ++i) {
        auto leaf = std::make_shared<TestLeaf>();
        leaf->name = QStringLiteral("leaf %1").arg(i);
        leaf->price = -1.5f * float(i);
        r.leaves << leaf;
    }
    r.shared = std::make_shared<TestLeaf>();
    r.shared->name = QStringLiteral("shared");
    return r;
}
