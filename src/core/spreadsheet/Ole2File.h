#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

/// A read-only view of an OLE2 compound file (the container of .xls workbooks): its header,
/// sector allocation tables and directory, enough to list the streams at the top level and read
/// one. Every sector number and chain is checked, so a damaged or hostile file yields an error
/// instead of a wrong read, a loop or a crash.
class Ole2File final
{
public:
    /// Reads the structure of @p bytes; on failure isValid() is false and error() says why.
    explicit Ole2File(QByteArray bytes);

    bool isValid() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    /// Whether the root storage holds a stream of that name (compared without regard to case).
    bool hasStream(const QString &name) const { return findStream(name) >= 0; }
    /// The bytes of a stream of the root storage; false with error() set when it cannot be read.
    bool readStream(const QString &name, QByteArray *out);

private:
    struct Entry
    {
        QString name;
        quint8 type = 0; // 1 storage, 2 stream, 5 root
        quint32 left = 0xFFFFFFFF;
        quint32 right = 0xFFFFFFFF;
        quint32 child = 0xFFFFFFFF;
        quint32 start = 0;
        quint64 size = 0;
    };

    bool fail(const QString &error);
    bool readHeader();
    bool readChain(const std::vector<quint32> &table, quint32 start, qint64 unitSize, bool mini, quint64 size,
                   QByteArray *out);
    const char *sector(quint32 index) const;
    qsizetype findStream(const QString &name) const;
    std::vector<quint32> rootChildren() const;

    QByteArray m_bytes;
    QString m_error;
    qint64 m_sectorSize = 512;
    qint64 m_miniSectorSize = 64;
    quint32 m_miniCutoff = 4096;
    quint32 m_sectorCount = 0;
    std::vector<quint32> m_fat;
    std::vector<quint32> m_miniFat;
    std::vector<Entry> m_entries;
    QByteArray m_miniStream;
};
