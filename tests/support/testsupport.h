#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// Folder of committed test inputs (tests/data).
QString dataPath(const QString &relative);
QByteArray readFile(const QString &path);
// Writes bytes to a file; fails the current test when it cannot.
void writeFile(const QString &path, const QByteArray &bytes);

} // namespace testsupport
