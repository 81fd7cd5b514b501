#include "core/base/Files.h"

#include "core/base/Error.h"

#include <QDir>
#include <QFileInfo>

namespace Files {

QString displayPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void checkWritable(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isWritable()))
        throwCannotWrite(path);
}

void throwCannotWrite(const QString &path)
{
    throw WriteError(QStringLiteral("Unable to write to %1").arg(displayPath(QFileInfo(path).absoluteFilePath())));
}

} // namespace Files
