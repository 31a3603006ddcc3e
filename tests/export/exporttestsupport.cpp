#include "exporttestsupport.h"

#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace exporttest {

TestBundle::TestBundle(const QString &strings, const QString &secret)
{
    EXPECT_TRUE(m_dir.isValid());
    QString info = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<dict>\n"
        "\t<key>CFBundleShortVersionString</key>\n\t<string>2.5.1</string>\n");
    if (!secret.isNull())
        info += QStringLiteral("\t<key>TBXSisowSharedSecret</key>\n\t<string>%1</string>\n").arg(secret);
    info += QStringLiteral("</dict>\n</plist>\n");
    write(QStringLiteral("Info.plist"), info.toUtf8());
    write(QStringLiteral("Localizable.strings"), strings.toUtf8());
    m_bundle = std::make_unique<Bundle>(m_dir.path());
}

QString TestBundle::defaultStrings()
{
    return QStringLiteral("\"i18nAddToCart\" = \"Add to cart\";\n"
                          "\"i18nOutOfStock\" = \"Sold out\";\n"
                          "\"i18nTotal\" = \"Total\";\n"
                          "\"PHPWarningTitle\" = \"No PHP in preview\";\n"
                          "\"PreviewExplanation\" = \"Coupons and direct orders need a web server.\";\n"
                          "\"OK\" = \"OK\";\n");
}

void TestBundle::write(const QString &fileName, const QByteArray &content) const
{
    testsupport::writeFile(QDir(m_dir.path()).filePath(fileName), content);
}

void TestBundle::remove(const QString &fileName) const
{
    QFile::remove(QDir(m_dir.path()).filePath(fileName));
}

std::shared_ptr<TillboxPlugin> makePlugin(const Bundle &bundle)
{
    auto plugin = std::make_shared<TillboxPlugin>();
    plugin->setGlobalSettings(std::make_shared<TillboxGlobalSettings>(bundle));
    return plugin;
}

} // namespace exporttest
