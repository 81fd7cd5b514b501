// The settings dialog: loading the settings, the choice of the draw's screen and of hidden
// digits, browsing from the folder last used, confirming and cancelling by mouse and
// keyboard, the write failure, and opening it from the main window.
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "core/base/Gbk.h"
#include "core/data/Database.h"
#include "gui/app/MainWindow.h"
#include "gui/settings/SettingsDialog.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

const QString ConvertMessage = QStringLiteral("Could not convert variant of type (String) into type (Boolean)");

void writeSettings(const TestDb &testDb, const QString &text)
{
    QByteArray bytes;
    QVERIFY(Gbk::encode(text, &bytes));
    QFile f(testDb.settingsFile());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString readSettings(const TestDb &testDb)
{
    QFile f(testDb.settingsFile());
    return f.open(QIODevice::ReadOnly) ? Gbk::decode(f.readAll()) : QString();
}

/// The dialog's control of that object name; a missing one ends the run, as every test
/// below depends on the names.
template <typename T> T *control(const QObject &dialog, const char *name)
{
    T *found = dialog.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("The settings dialog has no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

QLineEdit *pictureEdit(const SettingsDialog &d)
{
    return control<QLineEdit>(d, "pictureEdit");
}

QLineEdit *drawMusicEdit(const SettingsDialog &d)
{
    return control<QLineEdit>(d, "drawMusicEdit");
}

QLineEdit *winMusicEdit(const SettingsDialog &d)
{
    return control<QLineEdit>(d, "winMusicEdit");
}

QScrollBar *speedBar(const SettingsDialog &d)
{
    return control<QScrollBar>(d, "speedBar");
}

QComboBox *screenCombo(const SettingsDialog &d)
{
    return control<QComboBox>(d, "screenCombo");
}

QCheckBox *hideDigitsCheck(const SettingsDialog &d)
{
    return control<QCheckBox>(d, "hideDigitsCheck");
}

QPushButton *button(const SettingsDialog &d, const char *name)
{
    return control<QPushButton>(d, name);
}

QStringList items(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

/// Two screens as a laptop with a projector has them; a virtual display has one only.
const QList<ScreenInfo> LaptopAndProjector{{QStringLiteral("eDP-1"), QRect(0, 0, 1280, 800), true},
                                           {QStringLiteral("HDMI-1"), QRect(1280, 0, 1920, 1080), false}};
const QStringList LaptopAndProjectorItems{QStringLiteral("主显示器"), QStringLiteral("eDP-1 (1280×800)"),
                                          QStringLiteral("HDMI-1 (1920×1080)")};

} // namespace

class TestSettingsDialog final : public QObject
{
    Q_OBJECT

private slots:
    void loads_data();
    void loads();
    void confirmWritesAllUntrimmed();
    void screenAndHiddenDigits_data();
    void screenAndHiddenDigits();
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
    TestDb testDb;
    if (!file.isNull())
        writeSettings(testDb, file);
    ScriptedDialogs dialogs;
    SettingsDialog dialog;
    QCOMPARE((QStringList{pictureEdit(dialog)->text(), drawMusicEdit(dialog)->text(), winMusicEdit(dialog)->text()}),
             fields);
    QCOMPARE(speedBar(dialog)->value(), speed);
    if (error.isEmpty()) {
        QCOMPARE(dialogs.texts(), QStringList());
    } else {
        QCOMPARE(dialogs.texts(), QStringList{error});
        QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Error);
    }
}

void TestSettingsDialog::confirmWritesAllUntrimmed()
{
    TestDb testDb;
    writeSettings(testDb, QStringLiteral("[Other]\r\nPicture=keep\r\n[System]\r\nSD=150\r\nLang=zh\r\n"));
    ScriptedDialogs dialogs;
    SettingsDialog dialog;
    dialog.show();
    pictureEdit(dialog)->setText(QStringLiteral("  /srv/舞台.jpg "));
    winMusicEdit(dialog)->setText(QStringLiteral("/srv/win.wav"));
    QTest::mouseClick(button(dialog, "okButton"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(readSettings(testDb), QStringLiteral("[Other]\r\nPicture=keep\r\n[System]\r\nSD=100\r\nLang=zh\r\n"
                                                  "Picture=  /srv/舞台.jpg \r\nCJMusic=\r\nZJMusic=/srv/win.wav\r\n"
                                                  "Screen=\r\nHideDigits=0\r\n"));
    QCOMPARE(dialogs.texts(), QStringList());

    // Confirming again without a change writes the same values again.
    SettingsDialog again;
    again.show();
    QTest::mouseClick(button(again, "okButton"), Qt::LeftButton);
    QCOMPARE(readSettings(testDb), QStringLiteral("[Other]\r\nPicture=keep\r\n[System]\r\nSD=100\r\nLang=zh\r\n"
                                                  "Picture=/srv/舞台.jpg\r\nCJMusic=\r\nZJMusic=/srv/win.wav\r\n"
                                                  "Screen=\r\nHideDigits=0\r\n"));
}

void TestSettingsDialog::screenAndHiddenDigits_data()
{
    QTest::addColumn<QString>("stored");      // System lines after Picture and SD
    QTest::addColumn<QStringList>("offered"); // the screens listed
    QTest::addColumn<QString>("shown");       // the screen selected on opening
    QTest::addColumn<bool>("checked");        // hidden digits on opening
    QTest::addColumn<QString>("pick");        // the screen the operator picks; "" none
    QTest::addColumn<bool>("toggle");         // whether the operator clicks the check box
    QTest::addColumn<QString>("screen");      // Screen as 确定 writes it
    QTest::addColumn<QString>("hideDigits");  // HideDigits as 确定 writes it

    const auto row = [](const char *name, const QString &stored, const QStringList &offered, const QString &shown,
                        bool checked, const QString &pick, bool toggle, const QString &screen,
                        const QString &hideDigits) {
        QTest::newRow(name) << stored << offered << shown << checked << pick << toggle << screen << hideDigits;
    };
    const QStringList both = LaptopAndProjectorItems;
    const QStringList withMissing = both + QStringList{QStringLiteral("DP-2（未连接）")};
    const QString projector = QStringLiteral("HDMI-1 (1920×1080)");
    const QString primary = QStringLiteral("主显示器");
    row("nothing stored", "", both, primary, false, "", false, "", "0");
    row("blank screen", "Screen=  \r\n", both, primary, false, "", false, "", "0");
    row("the projector, connected", "Screen=HDMI-1\r\n", both, projector, false, "", false, "HDMI-1", "0");
    row("the primary screen by its name", "Screen=eDP-1\r\n", both, "eDP-1 (1280×800)", false, "", false, "eDP-1", "0");
    row("a screen not connected is kept", "Screen=DP-2\r\n", withMissing, "DP-2（未连接）", false, "", false, "DP-2",
        "0");
    row("a screen not connected, the projector picked", "Screen=DP-2\r\n", withMissing, "DP-2（未连接）", false,
        projector, false, "HDMI-1", "0");
    row("the projector, primary picked", "Screen=HDMI-1\r\n", both, projector, false, primary, false, "", "0");
    row("digits hidden", "HideDigits=1\r\n", both, primary, true, "", false, "", "1");
    row("digits hidden, unchecked", "HideDigits=1\r\n", both, primary, true, "", true, "", "0");
    row("digits shown, checked", "HideDigits=0\r\n", both, primary, false, "", true, "", "1");
    row("digits other than 1 are shown", "HideDigits=yes\r\n", both, primary, false, "", false, "", "0");
}

// The screen and the hidden digits are shown as stored and written with the four earlier
// settings, which keep their texts.
void TestSettingsDialog::screenAndHiddenDigits()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, offered);
    QFETCH(QString, shown);
    QFETCH(bool, checked);
    QFETCH(QString, pick);
    QFETCH(bool, toggle);
    QFETCH(QString, screen);
    QFETCH(QString, hideDigits);
    TestDb testDb;
    writeSettings(testDb, QStringLiteral("[System]\r\nPicture=a.jpg\r\nSD=12\r\n") + stored);
    ScriptedDialogs dialogs;
    SettingsDialog dialog(LaptopAndProjector);
    dialog.show();
    QCOMPARE(items(screenCombo(dialog)), offered);
    QCOMPARE(screenCombo(dialog)->currentText(), shown);
    QCOMPARE(hideDigitsCheck(dialog)->isChecked(), checked);
    if (!pick.isEmpty())
        screenCombo(dialog)->setCurrentIndex(screenCombo(dialog)->findText(pick));
    if (toggle)
        QTest::mouseClick(hideDigitsCheck(dialog), Qt::LeftButton);
    QTest::mouseClick(button(dialog, "okButton"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialogs.texts(), QStringList());
    QStringList lines = readSettings(testDb).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    lines.sort();
    QCOMPARE(lines,
             (QStringList{QStringLiteral("CJMusic="), QStringLiteral("HideDigits=") + hideDigits,
                          QStringLiteral("Picture=a.jpg"), QStringLiteral("SD=12"), QStringLiteral("Screen=") + screen,
                          QStringLiteral("ZJMusic="), QStringLiteral("[System]")}));
}

void TestSettingsDialog::keys_data()
{
    QTest::addColumn<QString>("focus"); // object name of the focused control
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("browsed");
    QTest::newRow("Enter in the draw music field") << "drawMusicEdit" << int(Qt::Key_Return) << true << true << 0;
    QTest::newRow("keypad Enter in the picture field") << "pictureEdit" << int(Qt::Key_Enter) << true << true << 0;
    QTest::newRow("Enter on the scroll bar") << "speedBar" << int(Qt::Key_Return) << true << true << 0;
    QTest::newRow("Enter on the screen list") << "screenCombo" << int(Qt::Key_Return) << true << true << 0;
    QTest::newRow("Enter on the check box") << "hideDigitsCheck" << int(Qt::Key_Return) << true << true << 0;
    QTest::newRow("Space on the check box") << "hideDigitsCheck" << int(Qt::Key_Space) << false << false << 0;
    QTest::newRow("Enter on 确定") << "okButton" << int(Qt::Key_Return) << true << true << 0;
    QTest::newRow("Enter on 取消") << "cancelButton" << int(Qt::Key_Return) << false << true << 0;
    QTest::newRow("Enter on a 浏览") << "browseDrawMusicButton" << int(Qt::Key_Return) << false << false << 1;
    QTest::newRow("Space on 取消") << "cancelButton" << int(Qt::Key_Space) << false << true << 0;
    QTest::newRow("Escape in the picture field") << "pictureEdit" << int(Qt::Key_Escape) << false << false << 0;
    QTest::newRow("Escape on 取消") << "cancelButton" << int(Qt::Key_Escape) << false << false << 0;
}

void TestSettingsDialog::keys()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, saved);
    QFETCH(bool, closed);
    QFETCH(int, browsed);
    TestDb testDb;
    ScriptedDialogs dialogs;
    SettingsDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    drawMusicEdit(dialog)->setText(QStringLiteral("/srv/roll.wav"));
    auto *target = dialog.findChild<QWidget *>(focus);
    QVERIFY(target);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(QFile::exists(testDb.settingsFile()), saved);
    if (saved)
        QVERIFY(readSettings(testDb).contains(QStringLiteral("CJMusic=/srv/roll.wav\r\n")));
    QCOMPARE(!dialog.isVisible(), closed);
    QCOMPARE(int(dialogs.fileDialogFilters.size()), browsed);
}

void TestSettingsDialog::closingWithoutWriting_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("取消") << "cancelButton";
    QTest::newRow("caption close button") << "closeButton";
}

void TestSettingsDialog::closingWithoutWriting()
{
    QFETCH(QString, button);
    TestDb testDb;
    const QString before = QStringLiteral("[System]\r\nPicture=a.jpg\r\nSD=20\r\n");
    writeSettings(testDb, before);
    ScriptedDialogs dialogs;
    SettingsDialog dialog;
    dialog.show();
    pictureEdit(dialog)->setText(QStringLiteral("b.jpg"));
    drawMusicEdit(dialog)->setText(QStringLiteral("c.wav"));
    winMusicEdit(dialog)->setText(QStringLiteral("d.wav"));
    speedBar(dialog)->setValue(90);
    auto *close = dialog.findChild<QPushButton *>(button);
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(readSettings(testDb), before);
}

// Each browse button starts in the folder a picture or music was last found in, and
// remembers the folder of the file chosen; the spreadsheets' folder is another one.
void TestSettingsDialog::browse()
{
    TestDb testDb;
    writeSettings(testDb,
                  QStringLiteral("[System]\r\nPicture=old.jpg\r\nCJMusic=old.wav\r\nZJMusic=old2.wav\r\nSD=1\r\n"
                                 "MediaFolder=/srv/媒体\r\nSheetFolder=/srv/名单\r\n"));
    ScriptedDialogs dialogs;
    dialogs.fileNames = {QStringLiteral("/srv/背景/新背景.jpg"), QString(), QStringLiteral("/srv/音乐/win.wav"),
                         QString()};
    SettingsDialog dialog;
    dialog.show();
    QTest::mouseClick(button(dialog, "browsePictureButton"), Qt::LeftButton);
    QTest::mouseClick(button(dialog, "browseDrawMusicButton"), Qt::LeftButton); // cancelled: the field keeps its text
    QTest::mouseClick(button(dialog, "browseWinMusicButton"), Qt::LeftButton);
    QTest::mouseClick(button(dialog, "browsePictureButton"), Qt::LeftButton); // cancelled
    QCOMPARE(pictureEdit(dialog)->text(), QStringLiteral("/srv/背景/新背景.jpg"));
    QCOMPARE(drawMusicEdit(dialog)->text(), QStringLiteral("old.wav"));
    QCOMPARE(winMusicEdit(dialog)->text(), QStringLiteral("/srv/音乐/win.wav"));
    QCOMPARE(dialogs.fileDialogFolders, (QStringList{QStringLiteral("/srv/媒体"), QStringLiteral("/srv/背景"),
                                                     QStringLiteral("/srv/背景"), QStringLiteral("/srv/音乐")}));
    // No file type filter; browsing alone writes no setting but the folder, even when the
    // dialog is then cancelled.
    QCOMPARE(dialogs.fileDialogFilters, (QList<QStringList>{{}, {}, {}, {}}));
    QVERIFY(dialog.isVisible());
    QTest::mouseClick(button(dialog, "cancelButton"), Qt::LeftButton);
    QCOMPARE(readSettings(testDb),
             QStringLiteral("[System]\r\nPicture=old.jpg\r\nCJMusic=old.wav\r\nZJMusic=old2.wav\r\n"
                            "SD=1\r\nMediaFolder=/srv/音乐\r\nSheetFolder=/srv/名单\r\n"));
}

void TestSettingsDialog::writeFailureKeepsDialogOpen()
{
    TestDb testDb;
    QVERIFY(QDir().mkpath(testDb.settingsFile())); // a folder where the file should be
    ScriptedDialogs dialogs;
    SettingsDialog dialog;
    dialog.show();
    pictureEdit(dialog)->setText(QStringLiteral("a.jpg"));
    QTest::mouseClick(button(dialog, "okButton"), Qt::LeftButton);
    // The error box appends a full stop to the error's own text.
    QCOMPARE(
        dialogs.texts(),
        QStringList{QStringLiteral("Unable to write to %1.").arg(QDir::toNativeSeparators(testDb.settingsFile()))});
    QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Error);
    QVERIFY(dialog.isVisible());
    QCOMPARE(pictureEdit(dialog)->text(), QStringLiteral("a.jpg"));
}

void TestSettingsDialog::tabOrder()
{
    TestDb testDb;
    SettingsDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), button(dialog, "okButton"));
    const QList<QWidget *> expected{button(dialog, "cancelButton"),
                                    pictureEdit(dialog),
                                    button(dialog, "browsePictureButton"),
                                    drawMusicEdit(dialog),
                                    button(dialog, "browseDrawMusicButton"),
                                    winMusicEdit(dialog),
                                    button(dialog, "browseWinMusicButton"),
                                    speedBar(dialog),
                                    screenCombo(dialog),
                                    hideDigitsCheck(dialog),
                                    button(dialog, "okButton")};
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
        // A screen reader names each control as the dialog labels it.
        const QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(next);
        QVERIFY(accessible);
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(next->objectName()));
    }
    QCOMPARE(screenCombo(dialog)->accessibleName(), QStringLiteral("抽奖画面显示在："));
    QCOMPARE(hideDigitsCheck(dialog)->accessibleName(), hideDigitsCheck(dialog)->text());
    QCOMPARE(hideDigitsCheck(dialog)->text(), QStringLiteral("揭晓时隐藏号码中间四位"));
}

void TestSettingsDialog::openedFromMainWindow()
{
    TestDb testDb;
    ScriptedDialogs dialogs;
    Database db(testDb.dbFile());
    MainWindow w(db);
    w.show();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<SettingsDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        seen = true;
        drawMusicEdit(*dialog)->setText(QStringLiteral("/srv/roll.wav"));
        QTest::keyClick(drawMusicEdit(*dialog), Qt::Key_Return);
    });
    auto *settings = w.findChild<QAction *>(QStringLiteral("settingsAction"));
    QVERIFY(settings);
    settings->trigger();
    QVERIFY(seen);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(readSettings(testDb),
             QStringLiteral("[System]\r\nPicture=\r\nCJMusic=/srv/roll.wav\r\nZJMusic=\r\nSD=0\r\nScreen=\r\n"
                            "HideDigits=0\r\n"));
    QCOMPARE(dialogs.texts(), QStringList());
}

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
