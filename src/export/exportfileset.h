#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Bundle;
class ExportParameters;
class ExportSource;
class TillboxProduct;

// The shared folder of every shop page's cart files, relative to the site root.
inline const QString TBXCommonFilePath = QStringLiteral("rw_common/plugins/tillbox");

// The files a shop page needs on the web server.
//
// The page's own files (each product's full image and thumbnail,
// "coupons.php" and the catalogue table "catalogue.php") go into the host's scratch folder "TillboxPlugin", and their
// paths are returned for the host to copy into the page's files folder. The
// files all shop pages share (cart scripts and style sheets, PHP scripts,
// "orderMailer.php", ReMooz resources, cart icons) are written straight into
// the site's shared folder (pathRemovingLocation).
//
// Generated files are written atomically. Shared resource files are replaced
// when their content differs, so an update of the plug-in reaches the site;
// cart icons already in the theme folder are never replaced, so an owner's own
// icons survive.
//
// Failures never stop the export. Each one is logged as one line beginning
// "Tillbox: " and collected in failures(), so a caller can tell a complete
// export from a partial one.
class ExportFileSet
{
public:
    // Called on the calling thread as products' pictures are done.
    using Progress = std::function<void(int done, int total)>;

    // source: the page's settings and products (a product without a picture
    // is given the placeholder picture, as the export requires) and its
    // scratch folder. bundle: source of the copied files and the PHP
    // templates. Both must outlive this object.
    ExportFileSet(ExportSource &source, const Bundle &bundle);

    void setProgressHandler(const Progress &progress) { m_progress = progress; }
    // Workers for the pictures: 0 one per core (the default), 1 this thread only.
    void setPictureThreads(int threads) { m_pictureThreads = threads; }

    // Writes every file and returns the paths of the page's own files: per
    // product, in list order, its full image then its thumbnail; then
    // "coupons.php" and last "catalogue.php". 2N + 2 paths whether or not the
    // writes succeeded; empty only when the host gave no scratch folder.
    QStringList extraFilesNeededInExportFolder(const ExportParameters &params);
    // What went wrong in the last extraFilesNeededInExportFolder; empty when
    // every file was written.
    const QStringList &failures() const { return m_failures; }

    // The site's shared folder: "path" with the trailing components that
    // equal the trailing components of "location" removed, then
    // "/rw_common/plugins/tillbox". "/Sites/out/shop/sale" with location
    // "shop/sale" gives "/Sites/out/rw_common/plugins/tillbox".
    static QString pathRemovingLocation(const ExportParameters &params);
    // The shared folder as seen from the page: one "../" per trailing
    // component of "location" up to the one named like the last component of
    // "base", then "rw_common/plugins/tillbox". Location "shop/sale" with base
    // "/Users/me/Site" gives "../../rw_common/plugins/tillbox".
    static QString relativePathFromAbsolutePath(const ExportParameters &params);
    // A path in the system's temporary folder named "<prefix>-<new UUID>".
    static QString pathForTemporaryFileWithPrefix(const QString &prefix);

    // The 18 cart icons in copy order; each is copied from the resource
    // "<cartIconSetPrefixString>_<icon>".
    static const QStringList &cartIconNames();

private:
    QString couponEntry(const QString &couponTemplate, const TillboxProduct &product) const;
    QString orderMailer(const QString &mailerTemplate) const;
    QString phpTemplate(const QString &name);
    bool makeFolder(const QString &path, int fileCount);
    // The bytes of a resource to copy to destination; a missing or unreadable
    // one is recorded as a failure.
    std::optional<QByteArray> resourceBytes(const QString &name, const QString &destination);
    void copyResource(const QString &name, const QString &folder);
    void copyIcon(const QString &resource, const QString &target);
    void writeText(const QString &path, const QString &text);
    void fail(const QString &message);

    ExportSource &m_source;
    const Bundle &m_bundle;
    Progress m_progress;
    int m_pictureThreads = 0;
    QStringList m_failures;
};
