// The settings file: Windows profile rules, GBK with CRLF, UTF-8 when GBK cannot hold a value.
#include "data/AdvInit.h"
#include "data/CjError.h"
#include "data/Gbk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettings final : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir.reset(new QTemporaryDir); }

    void reading_data();
    void reading();
    void missingFileReadsEmpty();
    void writeKeepsOtherLines();
    void writeCreatesFileAndSection();
    void writesIntegerAsDigits();
    void gbkWrittenByAnotherProgram();
    void valueOutsideGbkIsKept();
    void writeFailures_data();
    void writeFailures();

private:
    QString path() const { return m_dir->path() + QStringLiteral("/System.INI"); }
    void writeGbk(const QString &text)
    {
        QByteArray bytes;
        QVERIFY(Gbk::encode(text, &bytes));
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray bytes() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettings::reading_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QString base = QStringLiteral("[System]\r\n");
    QTest::newRow("plain") << base + "Picture=C:\\a.jpg\r\n" << "Picture" << "C:\\a.jpg";
    QTest::newRow("key in lower case") << base + "picture=x.jpg\r\n" << "Picture" << "x.jpg";
    QTest::newRow("section in other case") << "[SYSTEM]\r\nSD=5\r\n" << "SD" << "5";
    QTest::newRow("blanks around") << base + "CJMusic =   a b.wav  \r\n" << "CJMusic" << "a b.wav";
    QTest::newRow("only blanks") << base + "Picture=    \r\n" << "Picture" << "";
    QTest::newRow("double quotes") << base + "Picture=\"q.jpg\"\r\n" << "Picture" << "q.jpg";
    QTest::newRow("single quotes") << base + "Picture='q.jpg'\r\n" << "Picture" << "q.jpg";
    QTest::newRow("unmatched quote") << base + "Picture=\"q.jpg\r\n" << "Picture" << "\"q.jpg";
    QTest::newRow("LF line ends") << "[System]\nSD=7\n" << "SD" << "7";
    QTest::newRow("other section") << "[Other]\nSD=1\n[System]\nSD=2\n" << "SD" << "2";
    QTest::newRow("absent key") << base + "Picture=a\r\n" << "ZJMusic" << "";
    QTest::newRow("2047 at most") << base + "Picture=" + QString(3000, QLatin1Char('p')) + "\r\n" << "Picture"
                                  << QString(2047, QLatin1Char('p'));
    QTest::newRow("chinese") << base + "Picture=D:\\图片\\背景.jpg\r\n" << "Picture" << "D:\\图片\\背景.jpg";
}

void TestSettings::reading()
{
    QFETCH(QString, file);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeGbk(file);
    QCOMPARE(TAdvInit(path()).ReadValue(QStringLiteral("System"), key).toString(), expected);
}

void TestSettings::missingFileReadsEmpty()
{
    TAdvInit ini(path());
    for (const char *key : {"Picture", "CJMusic", "ZJMusic", "SD"})
        QCOMPARE(ini.ReadValue(QStringLiteral("System"), QLatin1String(key)).toString(), QString());
    QVERIFY(!QFile::exists(path()));
}

void TestSettings::writeKeepsOtherLines()
{
    const QString original = QStringLiteral("; made by hand\r\n[Other]\r\nSD=99\r\n\r\n[system]\r\npicture=old.jpg\r\n"
                                            "CJMusic=a.wav\r\nnoequals\r\n\r\n[Last]\r\nx=1\r\n");
    writeGbk(original);
    TAdvInit ini(path());
    ini.WriteValue(QStringLiteral("System"), QStringLiteral("Picture"), QStringLiteral(" new.jpg "));
    ini.WriteValue(QStringLiteral("System"), QStringLiteral("SD"), 40);
    const QString text = Gbk::decode(bytes());
    QCOMPARE(text, QStringLiteral("; made by hand\r\n[Other]\r\nSD=99\r\n\r\n[system]\r\nPicture= new.jpg \r\n"
                                  "CJMusic=a.wav\r\nnoequals\r\nSD=40\r\n\r\n[Last]\r\nx=1\r\n"));
    QCOMPARE(ini.ReadValue(QStringLiteral("Other"), QStringLiteral("SD")).toString(), QStringLiteral("99"));
}

void TestSettings::writeCreatesFileAndSection()
{
    TAdvInit ini(path());
    ini.WriteValue(QStringLiteral("System"), QStringLiteral("ZJMusic"), QStringLiteral("中奖.wav"));
    QByteArray expected;
    QVERIFY(Gbk::encode(QStringLiteral("[System]\r\nZJMusic=中奖.wav\r\n"), &expected));
    QCOMPARE(bytes(), expected);
}

void TestSettings::writesIntegerAsDigits()
{
    TAdvInit ini(path());
    ini.WriteValue(QStringLiteral("System"), QStringLiteral("SD"), 37);
    QCOMPARE(ini.ReadValue(QStringLiteral("System"), QStringLiteral("SD")).toString(), QStringLiteral("37"));
    QVERIFY(bytes().contains("SD=37\r\n"));
}

void TestSettings::gbkWrittenByAnotherProgram()
{
    // "背景" in GBK, as the Windows program writes it.
    QFile f(path());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[System]\r\nPicture=C:\\\xb1\xb3\xbe\xb0.jpg\r\n");
    f.close();
    QCOMPARE(TAdvInit(path()).ReadValue(QStringLiteral("System"), QStringLiteral("Picture")).toString(),
             QStringLiteral("C:\\背景.jpg"));
}

void TestSettings::valueOutsideGbkIsKept()
{
    writeGbk(QStringLiteral("[System]\r\nPicture=背景.jpg\r\n"));
    TAdvInit ini(path());
    const QString emoji = QStringLiteral("🎉 celebration.wav");
    ini.WriteValue(QStringLiteral("System"), QStringLiteral("CJMusic"), emoji);
    QVERIFY(bytes().startsWith("\xEF\xBB\xBF"));
    QCOMPARE(ini.ReadValue(QStringLiteral("System"), QStringLiteral("CJMusic")).toString(), emoji);
    QCOMPARE(ini.ReadValue(QStringLiteral("System"), QStringLiteral("Picture")).toString(), QStringLiteral("背景.jpg"));
}

void TestSettings::writeFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing folder") << "folder";
    QTest::newRow("a folder in the file's place") << "directory";
}

void TestSettings::writeFailures()
{
    QFETCH(QString, kind);
    QString file = path();
    if (kind == QLatin1String("folder"))
        file = m_dir->path() + QStringLiteral("/DB/System.INI");
    else
        QDir(m_dir->path()).mkdir(QStringLiteral("System.INI"));
    try {
        TAdvInit(file).WriteValue(QStringLiteral("System"), QStringLiteral("SD"), 1);
        QFAIL("written");
    } catch (const WriteError &e) {
        QCOMPARE(e.text(), QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(file)));
    }
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
