// The settings dialog: loading the four settings, browsing, confirming and cancelling by
// mouse and keyboard, the write failure, and opening it from the main window.
#include "TestDb.h"

#include "app/frmRaffle.h"
#include "data/Gbk.h"
#include "settings/frmSet.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

const QString ConvertMessage = QStringLiteral("Could not convert variant of type (String) into type (Boolean)");

void writeSettings(const TestDb &db, const QString &text)
{
    QByteArray bytes;
    QVERIFY(Gbk::encode(text, &bytes));
    QFile f(db.settingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString readSettings(const TestDb &db)
{
    QFile f(db.settingsFile());
    return f.open(QIODevice::ReadOnly) ? Gbk::decode(f.readAll()) : QString();
}

} // namespace

class TestSettingsDialog final : public QObject
{
    Q_OBJECT

private slots:
    void loads_data();
    void loads();
    void confirmWritesAllFourUntrimmed();
    void keys_data();
    void keys();
    void closingWithoutWriting_data();
    void closingWithoutWriting();
    void browse();
    void writeFailureKeepsDialogOpen();
    void tabOrder();
    void openedFromMainWindow();
};

void TestSettingsDialog::loads_data()
{
    QTest::addColumn<QString>("file"); // null: no settings file at all
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("speed");
    QTest::addColumn<QString>("error");

    const QString paths = QStringLiteral("[System]\r\nPicture=D:\\图片\\舞台.jpg\r\nZJMusic=D:\\music\\win.wav\r\n");
    const QStringList shown{QStringLiteral("D:\\图片\\舞台.jpg"), QString(), QStringLiteral("D:\\music\\win.wav")};
    QTest::newRow("no settings file") << QString() << QStringList{"", "", ""} << 0 << QString();
    QTest::newRow("two paths, speed 40") << paths + "SD=40\r\n" << shown << 40 << QString();
    QTest::newRow("speed absent") << paths << shown << 0 << QString();
    QTest::newRow("speed blank") << paths + "SD=   \r\n" << shown << 0 << QString();
    QTest::newRow("speed above 100") << paths + "SD=150\r\n" << shown << 100 << QString();
    QTest::newRow("speed below 0") << paths + "SD=-5\r\n" << shown << 0 << QString();
    QTest::newRow("speed in quotes") << paths + "SD=\"37\"\r\n" << shown << 37 << QString();
    QTest::newRow("speed with a fraction") << paths + "SD=40.6\r\n" << shown << 41 << QString();
    QTest::newRow("speed true") << paths + "SD=True\r\n" << shown << 1 << QString();
    QTest::newRow("speed false") << paths + "SD=false\r\n" << shown << 0 << QString();
    QTest::newRow("speed not a number") << paths + "SD=fast\r\n" << shown << 0 << ConvertMessage;
    QTest::newRow("speed chinese") << paths + "SD=五十\r\n" << shown << 0 << ConvertMessage;
    QTest::newRow("key and section in other case")
        << QStringLiteral("[system]\r\npicture=a.jpg\r\ncjmusic=b.wav\r\nzjmusic=c.wav\r\nsd=7\r\n")
        << QStringList{"a.jpg", "b.wav", "c.wav"} << 7 << QString();
}

void TestSettingsDialog::loads()
{
    QFETCH(QString, file);
    QFETCH(QStringList, fields);
    QFETCH(int, speed);
    QFETCH(QString, error);
    TestDb db;
    if (!file.isNull())
        writeSettings(db, file);
    ScriptedDialogs dialogs;
    TfmSet dialog;
    QCOMPARE((QStringList{dialog.Edit1->text(), dialog.Edit2->text(), dialog.Edit3->text()}), fields);
    QCOMPARE(dialog.PropScrollbar1->value(), speed);
    if (error.isEmpty()) {
        QCOMPARE(dialogs.texts(), QStringList());
    } else {
        QCOMPARE(dialogs.texts(), QStringList{error});
        QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Error);
    }
}

void TestSettingsDialog::confirmWritesAllFourUntrimmed()
{
    TestDb db;
    writeSettings(db, QStringLiteral("[Other]\r\nPicture=keep\r\n[System]\r\nSD=150\r\nLang=zh\r\n"));
    ScriptedDialogs dialogs;
    TfmSet dialog;
    dialog.show();
    dialog.Edit1->setText(QStringLiteral("  /srv/舞台.jpg "));
    dialog.Edit3->setText(QStringLiteral("/srv/win.wav"));
    QTest::mouseClick(dialog.AdvGlassButton3, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(readSettings(db), QStringLiteral("[Other]\r\nPicture=keep\r\n[System]\r\nSD=100\r\nLang=zh\r\n"
                                              "Picture=  /srv/舞台.jpg \r\nCJMusic=\r\nZJMusic=/srv/win.wav\r\n"));
    QCOMPARE(dialogs.texts(), QStringList());

    // Confirming again without a change writes the same values again.
    TfmSet again;
    again.show();
    QTest::mouseClick(again.AdvGlassButton3, Qt::LeftButton);
    QCOMPARE(readSettings(db), QStringLiteral("[Other]\r\nPicture=keep\r\n[System]\r\nSD=100\r\nLang=zh\r\n"
                                              "Picture=/srv/舞台.jpg\r\nCJMusic=\r\nZJMusic=/srv/win.wav\r\n"));
}

void TestSettingsDialog::keys_data()
{
    QTest::addColumn<QString>("focus"); // object name of the focused control
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("browsed");
    QTest::newRow("Enter in Edit2") << "Edit2" << int(Qt::Key_Return) << true << true << 0;
    QTest::newRow("keypad Enter in Edit1") << "Edit1" << int(Qt::Key_Enter) << true << true << 0;
    QTest::newRow("Enter on the scroll bar") << "PropScrollbar1" << int(Qt::Key_Return) << true << true << 0;
    QTest::newRow("Enter on 确定") << "AdvGlassButton3" << int(Qt::Key_Return) << true << true << 0;
    QTest::newRow("Enter on 取消") << "AdvGlassButton4" << int(Qt::Key_Return) << false << true << 0;
    QTest::newRow("Enter on a 浏览") << "AdvGlowButton2" << int(Qt::Key_Return) << false << false << 1;
    QTest::newRow("Space on 取消") << "AdvGlassButton4" << int(Qt::Key_Space) << false << true << 0;
    QTest::newRow("Escape in Edit1") << "Edit1" << int(Qt::Key_Escape) << false << false << 0;
    QTest::newRow("Escape on 取消") << "AdvGlassButton4" << int(Qt::Key_Escape) << false << false << 0;
}

void TestSettingsDialog::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, saved);
    QFETCH(bool, closed);
    QFETCH(int, browsed);
    TestDb db;
    ScriptedDialogs dialogs;
    TfmSet dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.Edit2->setText(QStringLiteral("/srv/roll.wav"));
    auto *target = dialog.findChild<QWidget *>(focus);
    QVERIFY(target);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(QFile::exists(db.settingsFile()), saved);
    if (saved)
        QVERIFY(readSettings(db).contains(QStringLiteral("CJMusic=/srv/roll.wav\r\n")));
    QCOMPARE(!dialog.isVisible(), closed);
    QCOMPARE(int(dialogs.fileDialogFilters.size()), browsed);
}

void TestSettingsDialog::closingWithoutWriting_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("取消") << "AdvGlassButton4";
    QTest::newRow("caption close button") << "pageClose";
}

void TestSettingsDialog::closingWithoutWriting()
{
    QFETCH(QString, button);
    TestDb db;
    const QString before = QStringLiteral("[System]\r\nPicture=a.jpg\r\nSD=20\r\n");
    writeSettings(db, before);
    ScriptedDialogs dialogs;
    TfmSet dialog;
    dialog.show();
    dialog.Edit1->setText(QStringLiteral("b.jpg"));
    dialog.Edit2->setText(QStringLiteral("c.wav"));
    dialog.Edit3->setText(QStringLiteral("d.wav"));
    dialog.PropScrollbar1->setValue(90);
    QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(readSettings(db), before);
}

void TestSettingsDialog::browse()
{
    TestDb db;
    writeSettings(db, QStringLiteral("[System]\r\nPicture=old.jpg\r\nCJMusic=old.wav\r\nZJMusic=old2.wav\r\nSD=1\r\n"));
    ScriptedDialogs dialogs;
    dialogs.fileNames = {QStringLiteral("/srv/新背景.jpg"), QString(), QStringLiteral("/srv/win.wav")};
    TfmSet dialog;
    dialog.show();
    QTest::mouseClick(dialog.AdvGlowButton1, Qt::LeftButton);
    QTest::mouseClick(dialog.AdvGlowButton2, Qt::LeftButton); // cancelled: the field keeps its text
    QTest::mouseClick(dialog.AdvGlowButton3, Qt::LeftButton);
    QCOMPARE(dialog.Edit1->text(), QStringLiteral("/srv/新背景.jpg"));
    QCOMPARE(dialog.Edit2->text(), QStringLiteral("old.wav"));
    QCOMPARE(dialog.Edit3->text(), QStringLiteral("/srv/win.wav"));
    // No file type filter; browsing alone writes nothing.
    QCOMPARE(dialogs.fileDialogFilters, (QList<QStringList>{{}, {}, {}}));
    QVERIFY(dialog.isVisible());
    QVERIFY(readSettings(db).contains(QStringLiteral("Picture=old.jpg")));
}

void TestSettingsDialog::writeFailureKeepsDialogOpen()
{
    TestDb db;
    QVERIFY(QDir().mkpath(db.settingsFile())); // a folder where the file should be
    ScriptedDialogs dialogs;
    TfmSet dialog;
    dialog.show();
    dialog.Edit1->setText(QStringLiteral("a.jpg"));
    QTest::mouseClick(dialog.AdvGlassButton3, Qt::LeftButton);
    // The error box appends a full stop to the error's own text.
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Unable to write to %1.")
                                              .arg(QDir::toNativeSeparators(db.settingsFile()))});
    QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Error);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.Edit1->text(), QStringLiteral("a.jpg"));
}

void TestSettingsDialog::tabOrder()
{
    TestDb db;
    TfmSet dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.AdvGlassButton3);
    const QList<QWidget *> expected{dialog.AdvGlassButton4, dialog.Edit1, dialog.AdvGlowButton1,
                                    dialog.Edit2,           dialog.AdvGlowButton2, dialog.Edit3,
                                    dialog.AdvGlowButton3,  dialog.PropScrollbar1, dialog.AdvGlassButton3};
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestSettingsDialog::openedFromMainWindow()
{
    TestDb db;
    ScriptedDialogs dialogs;
    Tfmraffle w;
    w.show();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TfmSet *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        seen = true;
        dialog->Edit2->setText(QStringLiteral("/srv/roll.wav"));
        QTest::keyClick(dialog->Edit2, Qt::Key_Return);
    });
    w.N2->trigger();
    QVERIFY(seen);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(readSettings(db), QStringLiteral("[System]\r\nPicture=\r\nCJMusic=/srv/roll.wav\r\nZJMusic=\r\nSD=0\r\n"));
    QCOMPARE(dialogs.texts(), QStringList());
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
