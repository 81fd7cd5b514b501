// The draw screen's layout on screens of any size and for rounds of up to 50 rows, the order
// in which a round's winners come out, and the choice of the screen the draw opens on.
// Needs fonts but no widgets: it runs under a QGuiApplication.

#include "gui/draw/ScreenChoice.h"
#include "gui/draw/StageLayout.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <algorithm>

class TestStageLayout final : public QObject
{
    Q_OBJECT

private slots:
    void fitsTheScreen_data();
    void fitsTheScreen();
    void todaysScreenUnchanged_data();
    void todaysScreenUnchanged();
    void scalesWithTheScreen_data();
    void scalesWithTheScreen();
    void revealMirrorsEachColumn_data();
    void revealMirrorsEachColumn();

    void screenLabels();
    void storedScreen_data();
    void storedScreen();
    void everyChoiceComesBack();
    void applicationScreens();
};

namespace {

const QString Family = QStringLiteral("WenQuanYi Micro Hei");
const QString LongestName = QStringLiteral("欧阳诸葛龘鑫");

/// The rectangles a round puts on the screen: every tile, then every name.
QList<QRect> allRects(const StageLayout &layout)
{
    QList<QRect> rects;
    for (int i = 0; i < layout.tileCount(); ++i)
        rects.append(layout.tileRect(i));
    for (int row = 0; row < layout.rows(); ++row)
        rects.append(layout.nameRect(row));
    return rects;
}

/// "HDMI-1:1920x1080*,DP-1:3840x2160": screens side by side, "*" marks the primary one.
QList<ScreenInfo> screens(const QString &list)
{
    QList<ScreenInfo> out;
    int x = 0;
    for (QString entry : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const bool primary = entry.endsWith(QLatin1Char('*'));
        if (primary)
            entry.chop(1);
        const QString name = entry.section(QLatin1Char(':'), 0, 0);
        const QString size = entry.section(QLatin1Char(':'), 1);
        const int width = size.section(QLatin1Char('x'), 0, 0).toInt();
        const int height = size.section(QLatin1Char('x'), 1).toInt();
        out.append({name, QRect(x, 0, width, height), primary});
        x += width;
    }
    return out;
}

} // namespace

void TestStageLayout::fitsTheScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("rows");
    for (const QSize screen : {QSize(1024, 768), QSize(1280, 800), QSize(1920, 1080), QSize(3840, 2160)}) {
        for (const int rows : {1, 10, 11, 30, 50}) {
            QTest::addRow("%dx%d, %d rows", screen.width(), screen.height(), rows) << screen << rows;
        }
    }
}

void TestStageLayout::fitsTheScreen()
{
    QFETCH(QSize, screen);
    QFETCH(int, rows);
    const StageLayout layout(screen, rows, Family);
    QCOMPARE(layout.tileCount(), rows * TilesPerRow);

    // Everything on the screen, nothing on top of anything else.
    const QRect whole(QPoint(0, 0), screen);
    const QList<QRect> rects = allRects(layout);
    for (qsizetype i = 0; i < rects.size(); ++i) {
        QVERIFY2(!rects.at(i).isEmpty(), qPrintable(QStringLiteral("rect %1 is empty").arg(i)));
        QVERIFY2(whole.contains(rects.at(i)), qPrintable(QStringLiteral("rect %1 leaves the screen").arg(i)));
        for (qsizetype j = i + 1; j < rects.size(); ++j) {
            QVERIFY2(!rects.at(i).intersects(rects.at(j)),
                     qPrintable(QStringLiteral("rects %1 and %2 overlap").arg(i).arg(j)));
        }
    }

    // Each row reads left to right, its name right beside its last tile.
    for (int row = 0; row < rows; ++row) {
        for (int column = 1; column < TilesPerRow; ++column) {
            QCOMPARE(layout.tileRect(row, column).top(), layout.tileRect(row, 0).top());
            QVERIFY(layout.tileRect(row, column).left() > layout.tileRect(row, column - 1).right());
        }
        const QRect name = layout.nameRect(row);
        QCOMPARE(name.top(), layout.tileRect(row, 0).top());
        QVERIFY(name.left() > layout.tileRect(row, TilesPerRow - 1).right());
        QVERIFY(name.left() - layout.tileRect(row, TilesPerRow - 1).right() <= layout.tileSize());
    }

    // Captions fit their tiles; names are as large and have room for six CJK characters.
    const QFontMetrics caption(layout.captionFont());
    QVERIFY(caption.height() <= layout.tileSize());
    QVERIFY(caption.horizontalAdvance(QLatin1Char('8')) <= layout.tileSize());
    QVERIFY(layout.nameFont().pixelSize() >= layout.captionFont().pixelSize());
    const QFontMetrics name(layout.nameFont());
    QVERIFY(name.height() <= layout.nameRect(0).height());
    QVERIFY2(name.horizontalAdvance(LongestName) <= layout.nameRect(0).width(),
             qPrintable(QStringLiteral("%1 px for %2 px of name")
                            .arg(layout.nameRect(0).width())
                            .arg(name.horizontalAdvance(LongestName))));

    // Tiles are never larger than a single column's, and smaller only as far as needed: the
    // room left at the right would not take two pixels more on every tile.
    const int singleColumnTile = StageLayout(screen, 1, Family).tileSize();
    QVERIFY(layout.tileSize() <= singleColumnTile);
    QCOMPARE(layout.isShrunk(), layout.tileSize() < singleColumnTile);
    if (layout.isShrunk()) {
        const int left = layout.tileRect(0).left();
        int right = 0;
        for (int row = 0; row < rows; ++row)
            right = std::max(right, layout.nameRect(row).right() + 1);
        const int unused = screen.width() - right - left;
        const double growthPerPixel = double(right - left) / layout.tileSize();
        QVERIFY2(unused >= 0 && unused < 2 * growthPerPixel,
                 qPrintable(QStringLiteral("%1 px unused with tiles of %2 px").arg(unused).arg(layout.tileSize())));
    }
}

void TestStageLayout::todaysScreenUnchanged_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("1 row") << 1;
    QTest::newRow("7 rows") << 7;
    QTest::newRow("10 rows") << 10;
}

void TestStageLayout::todaysScreenUnchanged()
{
    QFETCH(int, rows);
    const StageLayout layout(QSize(1024, 768), rows, Family);
    QCOMPARE(layout.scale(), 1.0);
    QVERIFY(!layout.isShrunk());
    QCOMPARE(layout.columnCount(), 1);
    for (int i = 0; i < layout.tileCount(); ++i)
        QCOMPARE(layout.tileRect(i), QRect(20 + 42 * (i % 11), 100 + 42 * (i / 11), 41, 41));
    QCOMPARE(layout.tileRect(layout.tileCount()), QRect());
    QCOMPARE(layout.captionFont().pixelSize(), 32);
    QVERIFY(layout.captionFont().bold());

    const StageLayout::Notification notification = layout.notification();
    QCOMPARE(notification.fontPixelSize, 11);
    QCOMPARE(notification.margin, 4);
    QCOMPARE(notification.captionHeight, 18);
    QCOMPARE(notification.minimumWidth, 180);
}

void TestStageLayout::scalesWithTheScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("tile");

    QTest::newRow("1280x800, 1 row") << QSize(1280, 800) << 1 << 800.0 / 768 << 43;
    QTest::newRow("1920x1080, 1 row") << QSize(1920, 1080) << 1 << 1080.0 / 768 << 58;
    QTest::newRow("1920x1080, 10 rows") << QSize(1920, 1080) << 10 << 1080.0 / 768 << 58;
    QTest::newRow("3840x2160, 10 rows") << QSize(3840, 2160) << 10 << 2160.0 / 768 << 115;
    QTest::newRow("2560x1600, 10 rows") << QSize(2560, 1600) << 10 << 1600.0 / 768 << 85;
    QTest::newRow("portrait 1080x1920") << QSize(1080, 1920) << 10 << 1080.0 / 1024 << 43;
}

void TestStageLayout::scalesWithTheScreen()
{
    QFETCH(QSize, screen);
    QFETCH(int, rows);
    QFETCH(double, factor);
    QFETCH(int, tile);

    const StageLayout layout(screen, rows, Family);
    QCOMPARE(layout.scale(), factor);
    QVERIFY(!layout.isShrunk());
    QCOMPARE(layout.tileSize(), tile);
    const auto near = [factor](int actual, int base) { return qAbs(actual - base * factor) <= 1.0; };
    QVERIFY(near(layout.tilePitch(), 42));
    QVERIFY(near(layout.tileRect(0).left(), 20));
    QVERIFY(near(layout.tileRect(0).top(), 100));
    QVERIFY(near(layout.captionPixelSize(), 32));
    const StageLayout::Notification notification = layout.notification();
    QVERIFY(near(notification.fontPixelSize, 11));
    QVERIFY(near(notification.margin, 4));
    QVERIFY(near(notification.captionHeight, 18));
    QVERIFY(near(notification.minimumWidth, 180));
}

void TestStageLayout::revealMirrorsEachColumn_data()
{
    QTest::addColumn<int>("rows");
    for (const int rows : {1, 2, 7, 10, 11, 25, 30, 50})
        QTest::addRow("%d rows", rows) << rows;
}

void TestStageLayout::revealMirrorsEachColumn()
{
    QFETCH(int, rows);
    const StageLayout layout(QSize(1920, 1080), rows, Family);
    for (int rolled = 0; rolled < rows; ++rolled) {
        const int revealed = layout.revealRowOf(rolled);
        QVERIFY(revealed >= 0 && revealed < rows);
        QCOMPARE(layout.revealRowOf(revealed), rolled);
        if (rows <= 10)
            QCOMPARE(revealed, rows - 1 - rolled);

        // On the screen: the same column, as far from its bottom as the rolled row from its top.
        const QRect from = layout.rowRect(rolled);
        const QRect to = layout.rowRect(revealed);
        QCOMPARE(to.left(), from.left());
        QList<int> tops;
        for (int row = 0; row < rows; ++row) {
            if (layout.rowRect(row).left() == from.left())
                tops.append(layout.rowRect(row).top());
        }
        std::sort(tops.begin(), tops.end());
        QCOMPARE(tops.indexOf(to.top()), tops.size() - 1 - tops.indexOf(from.top()));
    }
    QCOMPARE(layout.revealRowOf(-1), -1);
    QCOMPARE(layout.revealRowOf(rows), -1);
}

void TestStageLayout::screenLabels()
{
    QCOMPARE(ScreenChoice::labels(screens(QStringLiteral("eDP-1:1920x1080*,HDMI-1:1024x768,DP-2:3840x2160"))),
             QStringList({QStringLiteral("主显示器"), QStringLiteral("eDP-1 (1920×1080)"),
                          QStringLiteral("HDMI-1 (1024×768)"), QStringLiteral("DP-2 (3840×2160)")}));
    QCOMPARE(ScreenChoice::labels({}), QStringList{QStringLiteral("主显示器")});
}

// The stored key against the screens there are at the start: the screen the draw opens on
// (index in the list) and the choice the settings show.
void TestStageLayout::storedScreen_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("screen");
    QTest::addColumn<int>("choice");

    const QString two = QStringLiteral("eDP-1:1920x1080*,HDMI-1:1024x768");
    QTest::newRow("no key") << two << QString() << 0 << 0;
    QTest::newRow("present") << two << QStringLiteral("HDMI-1") << 1 << 2;
    QTest::newRow("primary by name") << two << QStringLiteral("eDP-1") << 0 << 1;
    QTest::newRow("gone") << QStringLiteral("eDP-1:1920x1080*") << QStringLiteral("HDMI-1") << 0 << 0;
    QTest::newRow("renamed") << QStringLiteral("eDP-1:1920x1080*,HDMI-2:1024x768") << QStringLiteral("HDMI-1") << 0
                             << 0;
    QTest::newRow("gone, primary not first")
        << QStringLiteral("HDMI-2:1024x768,eDP-1:1920x1080*") << QStringLiteral("HDMI-1") << 1 << 0;
    QTest::newRow("gone, none primary") << QStringLiteral("HDMI-2:1024x768,eDP-1:1920x1080") << QStringLiteral("HDMI-1")
                                        << 0 << 0;
    QTest::newRow("name differs in case") << two << QStringLiteral("hdmi-1") << 0 << 0;
    QTest::newRow("no screens") << QString() << QStringLiteral("HDMI-1") << -1 << 0;
}

void TestStageLayout::storedScreen()
{
    QFETCH(QString, list);
    QFETCH(QString, key);
    QFETCH(int, screen);
    QFETCH(int, choice);
    QCOMPARE(ScreenChoice::resolve(screens(list), key), screen);
    QCOMPARE(ScreenChoice::choiceOf(screens(list), key), choice);
}

void TestStageLayout::everyChoiceComesBack()
{
    const QList<ScreenInfo> list = screens(QStringLiteral("HDMI-1:1024x768,eDP-1:1920x1080*,DP-2:3840x2160"));
    const int choices = int(ScreenChoice::labels(list).size());
    QCOMPARE(ScreenChoice::keyOf(list, 0), QString());
    for (int choice = 0; choice < choices; ++choice) {
        const QString key = ScreenChoice::keyOf(list, choice);
        QCOMPARE(ScreenChoice::choiceOf(list, key), choice);
        // The primary choice opens on the primary screen, any other on the screen chosen.
        QCOMPARE(ScreenChoice::resolve(list, key), choice == 0 ? 1 : choice - 1);
    }
    QCOMPARE(ScreenChoice::keyOf(list, choices), QString());
    QCOMPARE(ScreenChoice::keyOf(list, -1), QString());
}

void TestStageLayout::applicationScreens()
{
    const QList<ScreenInfo> current = ScreenChoice::currentScreens();
    QCOMPARE(current.size(), QGuiApplication::screens().size());
    QCOMPARE(std::count_if(current.begin(), current.end(), [](const ScreenInfo &s) { return s.primary; }), 1);

    QScreen *primary = QGuiApplication::primaryScreen();
    QCOMPARE(ScreenChoice::screenFor(QString()), primary);
    QCOMPARE(ScreenChoice::screenFor(QStringLiteral("no such screen")), primary);
    if (!primary->name().isEmpty())
        QCOMPARE(ScreenChoice::screenFor(primary->name()), primary);
}

// The layout needs fonts, not widgets.
int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    TestStageLayout test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stagelayout.moc"
