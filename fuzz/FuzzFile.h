#pragma once

// libgsf reads files by name: each input goes to one file in shared memory.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <unistd.h>

inline QString writeFuzzFile(const uint8_t *data, size_t size, const char *extension)
{
    static const QString path = QStringLiteral("/dev/shm/cj-fuzz-%1.%2").arg(getpid()).arg(QLatin1String(extension));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    return path;
}
