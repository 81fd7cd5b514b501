// The settings file: Windows profile rules, GBK with CRLF, UTF-8 when GBK cannot hold a value.
#include "core/base/Error.h"
#include "core/base/Gbk.h"
#include "core/data/IniFile.h"
#include "core/data/Settings.h"

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
    void settingsUnderTheirKeys();
    void foldersRememberedApart();
    void gbkWrittenByAnotherProgram();
    void fileEncodings_data();
    void fileEncodings();
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
    QTest::newRow("plain") << base + "Picture=C:\\a.jpg\r\n"
                           << "Picture"
                           << "C:\\a.jpg";
    QTest::newRow("key in lower case") << base + "picture=x.jpg\r\n"
                                       << "Picture"
                                       << "x.jpg";
    QTest::newRow("section in other case") << "[SYSTEM]\r\nSD=5\r\n"
                                           << "SD"
                                           << "5";
    QTest::newRow("blanks around") << base + "CJMusic =   a b.wav  \r\n"
                                   << "CJMusic"
                                   << "a b.wav";
    QTest::newRow("only blanks") << base + "Picture=    \r\n"
                                 << "Picture"
                                 << "";
    QTest::newRow("double quotes") << base + "Picture=\"q.jpg\"\r\n"
                                   << "Picture"
                                   << "q.jpg";
    QTest::newRow("single quotes") << base + "Picture='q.jpg'\r\n"
                                   << "Picture"
                                   << "q.jpg";
    QTest::newRow("unmatched quote") << base + "Picture=\"q.jpg\r\n"
                                     << "Picture"
                                     << "\"q.jpg";
    QTest::newRow("LF line ends") << "[System]\nSD=7\n"
                                  << "SD"
                                  << "7";
    QTest::newRow("other section") << "[Other]\nSD=1\n[System]\nSD=2\n"
                                   << "SD"
                                   << "2";
    QTest::newRow("absent key") << base + "Picture=a\r\n"
                                << "ZJMusic"
                                << "";
    QTest::newRow("2047 at most") << base + "Picture=" + QString(3000, QLatin1Char('p')) + "\r\n"
                                  << "Picture" << QString(2047, QLatin1Char('p'));
    QTest::newRow("chinese") << base + "Picture=D:\\图片\\背景.jpg\r\n"
                             << "Picture"
                             << "D:\\图片\\背景.jpg";
}

void TestSettings::reading()
{
    QFETCH(QString, file);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeGbk(file);
    QCOMPARE(IniFile(path()).value(QStringLiteral("System"), key), expected);
}

void TestSettings::missingFileReadsEmpty()
{
    IniFile ini(path());
    for (const char *key : {"Picture", "CJMusic", "ZJMusic", "SD"})
        QCOMPARE(ini.value(QStringLiteral("System"), QLatin1String(key)), QString());
    QVERIFY(!QFile::exists(path()));
}

void TestSettings::writeKeepsOtherLines()
{
    const QString original = QStringLiteral("; made by hand\r\n[Other]\r\nSD=99\r\n\r\n[system]\r\npicture=old.jpg\r\n"
                                            "CJMusic=a.wav\r\nnoequals\r\n\r\n[Last]\r\nx=1\r\n");
    writeGbk(original);
    IniFile ini(path());
    ini.setValue(QStringLiteral("System"), QStringLiteral("Picture"), QStringLiteral(" new.jpg "));
    ini.setValue(QStringLiteral("System"), QStringLiteral("SD"), QStringLiteral("40"));
    const QString text = Gbk::decode(bytes());
    QCOMPARE(text, QStringLiteral("; made by hand\r\n[Other]\r\nSD=99\r\n\r\n[system]\r\nPicture= new.jpg \r\n"
                                  "CJMusic=a.wav\r\nnoequals\r\nSD=40\r\n\r\n[Last]\r\nx=1\r\n"));
    QCOMPARE(ini.value(QStringLiteral("Other"), QStringLiteral("SD")), QStringLiteral("99"));
}

void TestSettings::writeCreatesFileAndSection()
{
    IniFile ini(path());
    ini.setValue(QStringLiteral("System"), QStringLiteral("ZJMusic"), QStringLiteral("中奖.wav"));
    QByteArray expected;
    QVERIFY(Gbk::encode(QStringLiteral("[System]\r\nZJMusic=中奖.wav\r\n"), &expected));
    QCOMPARE(bytes(), expected);
}

// The four settings under the names earlier versions and the Windows program use, then the
// two this version adds (which those versions leave alone).
void TestSettings::settingsUnderTheirKeys()
{
    Settings settings;
    settings.backgroundPicture = QStringLiteral(" 背景.jpg ");
    settings.drawMusic = QStringLiteral("抽奖.wav");
    settings.winMusic = QString();
    settings.speed = QString::number(37);
    settings.drawScreen = QStringLiteral("HDMI-1");
    settings.hideDigitsAtReveal = QStringLiteral("1");
    settings.save(path());
    QByteArray expected;
    QVERIFY(Gbk::encode(QStringLiteral("[System]\r\nPicture= 背景.jpg \r\nCJMusic=抽奖.wav\r\nZJMusic=\r\nSD=37\r\n"
                                       "Screen=HDMI-1\r\nHideDigits=1\r\n"),
                        &expected));
    QCOMPARE(bytes(), expected);
    const Settings loaded = Settings::load(path());
    QCOMPARE(loaded.backgroundPicture, QStringLiteral("背景.jpg")); // read without the blanks around it
    QCOMPARE(loaded.drawMusic, settings.drawMusic);
    QCOMPARE(loaded.winMusic, QString());
    QCOMPARE(loaded.speed, QStringLiteral("37"));
    QCOMPARE(loaded.drawScreen, QStringLiteral("HDMI-1"));
    QCOMPARE(loaded.hideDigitsAtReveal, QStringLiteral("1"));
}

// The folders the file dialogs come back to: each under its own key, and kept when the
// settings dialog saves its values.
void TestSettings::foldersRememberedApart()
{
    writeGbk(QStringLiteral("[System]\r\nPicture=a.jpg\r\nSD=5\r\n"));
    const QString sheets = m_dir->path() + QStringLiteral("/名单");
    const QString media = m_dir->path() + QStringLiteral("/音乐");
    Settings::rememberFolder(path(), sheets + QStringLiteral("/参选人.xls"), false);
    Settings::rememberFolder(path(), media + QStringLiteral("/开场.wav"), true);
    Settings settings = Settings::load(path());
    QCOMPARE(settings.sheetFolder, sheets);
    QCOMPARE(settings.mediaFolder, media);

    settings.backgroundPicture = QStringLiteral("b.jpg");
    settings.sheetFolder.clear();
    settings.mediaFolder.clear();
    settings.save(path());
    const Settings saved = Settings::load(path());
    QCOMPARE(saved.backgroundPicture, QStringLiteral("b.jpg"));
    QCOMPARE(saved.sheetFolder, sheets);
    QCOMPARE(saved.mediaFolder, media);
}

void TestSettings::gbkWrittenByAnotherProgram()
{
    // "背景" in GBK, as the Windows program writes it.
    QFile f(path());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[System]\r\nPicture=C:\\\xb1\xb3\xbe\xb0.jpg\r\n");
    f.close();
    QCOMPARE(IniFile(path()).value(QStringLiteral("System"), QStringLiteral("Picture")),
             QStringLiteral("C:\\背景.jpg"));
}

namespace {

QByteArray gbk(const QString &text)
{
    QByteArray bytes;
    if (!Gbk::encode(text, &bytes))
        qFatal("no GBK form");
    return bytes;
}

} // namespace

void TestSettings::fileEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("music");
    QTest::newRow("UTF-8 from a Linux editor, LF line ends")
        << QStringLiteral("[System]\nPicture=/home/活动/背景.jpg\nCJMusic=/home/活动/抽奖音乐.wav\n").toUtf8()
        << "/home/活动/背景.jpg"
        << "/home/活动/抽奖音乐.wav";
    QTest::newRow("GBK from the Windows program")
        << gbk(QStringLiteral("[System]\r\nPicture=D:\\活动\\背景.jpg\r\nCJMusic=D:\\活动\\抽奖音乐.wav\r\n"))
        << "D:\\活动\\背景.jpg"
        << "D:\\活动\\抽奖音乐.wav";
    QTest::newRow("UTF-8 with a byte-order mark")
        << QByteArray("\xEF\xBB\xBF") + QStringLiteral("[System]\r\nPicture=背景.jpg\r\nCJMusic=抽奖.wav\r\n").toUtf8()
        << "背景.jpg"
        << "抽奖.wav";
    // A comment added in UTF-8 to a GBK file: not valid UTF-8 as a whole, so GBK, as before.
    QTest::newRow("UTF-8 comment in a GBK file")
        << QStringLiteral("; 活动现场\r\n").toUtf8() +
               gbk(QStringLiteral("[System]\r\nPicture=D:\\背景.jpg\r\nCJMusic=D:\\抽奖.wav\r\n"))
        << "D:\\背景.jpg"
        << "D:\\抽奖.wav";
}

// A file is read in whichever form it was saved, and the values survive the next save.
void TestSettings::fileEncodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, picture);
    QFETCH(QString, music);
    {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    IniFile ini(path());
    QCOMPARE(ini.value(QStringLiteral("System"), QStringLiteral("Picture")), picture);
    QCOMPARE(ini.value(QStringLiteral("System"), QStringLiteral("CJMusic")), music);

    ini.setValue(QStringLiteral("System"), QStringLiteral("SD"), QStringLiteral("5"));
    QCOMPARE(ini.value(QStringLiteral("System"), QStringLiteral("Picture")), picture);
    QCOMPARE(ini.value(QStringLiteral("System"), QStringLiteral("CJMusic")), music);
    QCOMPARE(ini.value(QStringLiteral("System"), QStringLiteral("SD")), QStringLiteral("5"));
    // As before: GBK with CRLF, unless the file had a mark (or a value needs UTF-8).
    const bool hadMark = bytes.startsWith("\xEF\xBB\xBF");
    QCOMPARE(this->bytes().startsWith("\xEF\xBB\xBF"), hadMark);
    if (!hadMark && !bytes.startsWith(";")) {
        QCOMPARE(this->bytes(),
                 gbk(QStringLiteral("[System]\r\nPicture=%1\r\nCJMusic=%2\r\nSD=5\r\n").arg(picture, music)));
    }
}

void TestSettings::valueOutsideGbkIsKept()
{
    writeGbk(QStringLiteral("[System]\r\nPicture=背景.jpg\r\n"));
    IniFile ini(path());
    const QString emoji = QStringLiteral("🎉 celebration.wav");
    ini.setValue(QStringLiteral("System"), QStringLiteral("CJMusic"), emoji);
    QVERIFY(bytes().startsWith("\xEF\xBB\xBF"));
    QCOMPARE(ini.value(QStringLiteral("System"), QStringLiteral("CJMusic")), emoji);
    QCOMPARE(ini.value(QStringLiteral("System"), QStringLiteral("Picture")), QStringLiteral("背景.jpg"));
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
        IniFile(file).setValue(QStringLiteral("System"), QStringLiteral("SD"), QStringLiteral("1"));
        QFAIL("written");
    } catch (const WriteError &e) {
        QCOMPARE(e.text(), QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(file)));
    }
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
