#include "Palettes.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "TestText.h"

#include "common/CardException.h"
#include "common/DailyLog.h"
#include "common/Errors.h"
#include "common/gui/Contrast.h"
#include "controls/CardDBGrid.h"
#include "controls/GridColors.h"
#include "data/DbAccess.h"
#include "data/GridSet.h"
#include "data/Sql.h"
#include "notes/NotePage.h"

#include <QHeaderView>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QtTest>

namespace {

void AddAddress(TDbAccess& db, const QString& url, const QString& title, const QString& remark = {})
{
    db.ExecuteBatch(
        Sql::Format(SqlTemplate::InsertAddress,
                    {Sql::Number(0), Sql::Quoted(url), Sql::Quoted(title), Sql::Quoted(remark)}));
}

QString ListAll()
{
    return QString::fromUtf16(SqlTemplate::ListAddresses);
}

// The grid shown over every address with its ID column hidden, as the address page lists them.
void ShowAllAddresses(TDbAccess& db, TCardDBGrid& grid)
{
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    OpenGrid(db, ListAll(), grid, true);
    grid.HideColumn(QStringLiteral("ID"));
}

QString Caption(const TCardDBGrid& grid, const QString& field)
{
    return grid.model()->headerData(grid.ColumnOf(field), Qt::Horizontal).toString();
}

// The values of one field as the grid shows them, top to bottom.
QStringList Shown(const TCardDBGrid& grid, const QString& field)
{
    QStringList values;
    const int column = grid.ColumnOf(field);
    for (int row = 0; row < grid.model()->rowCount(); ++row)
        values << grid.model()->index(row, column).data().toString();
    return values;
}

void ClickTitle(TCardDBGrid& grid, const QString& field)
{
    QHeaderView* titles = grid.horizontalHeader();
    const int column = grid.ColumnOf(field);
    const QPoint at(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
                    titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
}

QPoint CellCentre(const TCardDBGrid& grid, int row, const QString& field)
{
    return grid.visualRect(grid.model()->index(row, grid.ColumnOf(field))).center();
}

} // namespace

class TestCardDBGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Clicks on a title alternate the direction by editing the sort text; another title starts
    // ascending and takes the arrow.
    void titleClicks()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        AddAddress(folder.Db(), QStringLiteral("b.org"), QStringLiteral("Y"));
        AddAddress(folder.Db(), QStringLiteral("c.org"), QStringLiteral("X"));
        AddAddress(folder.Db(), QStringLiteral("a.org"), QStringLiteral("Z"));
        TCardDBGrid grid;
        ShowAllAddresses(db, grid);
        TGridSet& set = db.GridSet();
        const QString url = QStringLiteral("网址");

        const struct
        {
            const char* Sort;
            const char* Caption;
            QStringList Urls;
        } steps[] = {
            {"网址", "▲网址", Texts({"a.org", "b.org", "c.org"})},
            {"网址 DESC", "▼网址", Texts({"c.org", "b.org", "a.org"})},
            {"网址 ", "▲网址", Texts({"a.org", "b.org", "c.org"})},
            {"网址  DESC", "▼网址", Texts({"c.org", "b.org", "a.org"})},
            {"网址  ", "▲网址", Texts({"a.org", "b.org", "c.org"})},
        };
        for (const auto& step : steps) {
            ClickTitle(grid, url);
            QCOMPARE(set.Sort(), QString::fromUtf8(step.Sort));
            QCOMPARE(Caption(grid, url), QString::fromUtf8(step.Caption));
            QCOMPARE(Shown(grid, url), step.Urls);
        }

        ClickTitle(grid, QStringLiteral("标题"));
        QCOMPARE(set.Sort(), QStringLiteral("标题"));
        QCOMPARE(Caption(grid, url), url);
        QCOMPARE(Caption(grid, QStringLiteral("标题")), QStringLiteral("▲标题"));
        QCOMPARE(Shown(grid, QStringLiteral("标题")), Texts({"X", "Y", "Z"}));
        QVERIFY(dialogs.Boxes.isEmpty());

        // A new list starts unsorted with bare titles.
        OpenGrid(db, ListAll(), grid, true);
        QCOMPARE(set.Sort(), QString());
        QCOMPARE(Caption(grid, QStringLiteral("标题")), QStringLiteral("标题"));
        QCOMPARE(Shown(grid, url), Texts({"b.org", "c.org", "a.org"}));
    }

    // Whether a click toggles is decided by the sorted field itself, not by a name that merely
    // occurs in the sort text.
    void titleClicksWithOverlappingNames()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TCardException handler(dialogs);
        TDbAccess& db = folder.Connect();
        AddAddress(folder.Db(), QStringLiteral("2"), QStringLiteral("x"), QStringLiteral("q"));
        AddAddress(folder.Db(), QStringLiteral("1"), QStringLiteral("y"), QStringLiteral("p"));
        TCardDBGrid grid;
        OpenGrid(db,
                 QStringLiteral("select IEUrl as A, IEName as AB, ReMark as DESCRIPTION from IE"),
                 grid, false);
        TGridSet& set = db.GridSet();

        grid.TitleClick(grid.ColumnOf(QStringLiteral("AB")));
        grid.TitleClick(grid.ColumnOf(QStringLiteral("A")));
        QCOMPARE(set.Sort(), QStringLiteral("A"));
        QCOMPARE(Caption(grid, QStringLiteral("A")), QStringLiteral("▲A"));
        QCOMPARE(Caption(grid, QStringLiteral("AB")), QStringLiteral("AB"));

        const int description = grid.ColumnOf(QStringLiteral("DESCRIPTION"));
        grid.TitleClick(description);
        grid.TitleClick(description);
        QCOMPARE(set.Sort(), QStringLiteral("DESCRIPTION DESC"));
        QCOMPARE(Shown(grid, QStringLiteral("DESCRIPTION")), Texts({"q", "p"}));
        RunGuarded([&] { grid.TitleClick(description); });
        QCOMPARE(set.Sort(), QStringLiteral("DESCRIPTION "));
        QCOMPARE(Caption(grid, QStringLiteral("DESCRIPTION")), QStringLiteral("▲DESCRIPTION"));
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    // Rows alternate by record number, the current row shows highlighted, and every cell has
    // its two coloured lines.
    void stripesAndCurrentRow()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        for (const char* url : {"d.org", "b.org", "a.org", "c.org"})
            AddAddress(folder.Db(), QString::fromLatin1(url), QStringLiteral("t"));
        TCardDBGrid grid;
        ShowAllAddresses(db, grid);
        QCOMPARE(grid.CurrentRow(), 0);
        QCOMPARE(grid.GridEvenColor(), QColor(0xFF, 0xFB, 0xF0));
        QCOMPARE(grid.GriddingRowColor(), QColor(0xA6, 0xCA, 0xF0));
        QCOMPARE(grid.GriddingColColor(), QColor(0xA6, 0xCA, 0xF0));
        QVERIFY(grid.GridEvenColor() != grid.GridOddColor());

        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                          CellCentre(grid, 2, QStringLiteral("标题")));
        QCOMPARE(grid.CurrentRow(), 2);
        QCOMPARE(db.GridSet().RecNo(), 3);
        QCOMPARE(grid.CurrentValue(QStringLiteral("网址")), QStringLiteral("a.org"));
        QCOMPARE(grid.RowColor(0), grid.GridOddColor());
        QCOMPARE(grid.RowColor(1), grid.GridEvenColor());
        QCOMPARE(grid.RowColor(2), TCardDBGrid::MenuHighlightColor());
        QCOMPARE(grid.RowColor(3), grid.GridEvenColor());

        const QImage image = grid.viewport()->grab().toImage();
        const int column = grid.ColumnOf(QStringLiteral("网址"));
        const auto pixel = [&](int row, int dx, int dy) {
            const QRect cell(grid.columnViewportPosition(column), grid.rowViewportPosition(row),
                             grid.columnWidth(column), grid.rowHeight(row));
            return QColor(image.pixel(dx < 0 ? cell.right() + 1 + dx : cell.left() + dx,
                                      dy < 0 ? cell.bottom() + 1 + dy : cell.top() + dy));
        };
        QCOMPARE(pixel(0, -3, 1), grid.GridOddColor());
        QCOMPARE(pixel(1, -3, 1), grid.GridEvenColor());
        QCOMPARE(pixel(2, -3, 1), TCardDBGrid::MenuHighlightColor());
        QCOMPARE(pixel(1, 3, -1), grid.GriddingRowColor());
        QCOMPARE(pixel(1, -1, 3), grid.GriddingColColor());

        // The current record stays current when the rows are sorted; the stripes go by the
        // new record numbers.
        ClickTitle(grid, QStringLiteral("网址"));
        QCOMPARE(grid.CurrentRow(), 0);
        QCOMPARE(grid.currentIndex().row(), 0);
        QCOMPARE(grid.CurrentValue(QStringLiteral("网址")), QStringLiteral("a.org"));
        QCOMPARE(grid.RowColor(2), grid.GridOddColor());

        const QColor even(0x10, 0x20, 0x30);
        grid.SetGridEvenColor(even);
        QCOMPARE(grid.RowColor(1), even);
        QCOMPARE(grid.property("GridEvenColor").value<QColor>(), even);
        // The view paints the even rows in the palette's alternate base.
        QCOMPARE(grid.palette().color(QPalette::AlternateBase), even);

        // A dark colour scheme: the colours follow the palette, save the one set above, and the
        // palette's text stays readable on every row.
        QPalette dark = grid.palette();
        dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
        dark.setColor(QPalette::Text, QColor(0xE0, 0xE0, 0xE0));
        grid.setPalette(dark);
        QCOMPARE(grid.GridOddColor(), QColor(0x20, 0x20, 0x20));
        QCOMPARE(grid.GridEvenColor(), even);
        TCardDBGrid darkGrid;
        darkGrid.setPalette(dark);
        for (const QColor& row : {darkGrid.GridOddColor(), darkGrid.GridEvenColor()})
            QVERIFY(dark.color(QPalette::Text).lightness() - row.lightness() > 128);
        QVERIFY(darkGrid.GriddingRowColor().lightness() < QColor(0xA6, 0xCA, 0xF0).lightness());
        QCOMPARE(darkGrid.palette().color(QPalette::AlternateBase), darkGrid.GridEvenColor());
    }

    // After a sort and a click, the row that was current is painted again whole, so only the
    // new current row shows highlighted.
    void oldCurrentRowRepaintedWhole()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        for (const char* url : {"d.org", "b.org", "a.org", "c.org"})
            AddAddress(folder.Db(), QString::fromLatin1(url), QStringLiteral("t"),
                       QStringLiteral("r"));
        TCardDBGrid grid;
        ShowAllAddresses(db, grid);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                          CellCentre(grid, 2, QStringLiteral("标题")));
        ClickTitle(grid, QStringLiteral("网址"));
        const int oldRow = grid.CurrentRow();
        grid.setFocus();
        QTest::qWait(50);

        struct TPaints final : QObject
        {
            QRegion Painted;
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (event->type() == QEvent::Paint)
                    Painted += static_cast<QPaintEvent*>(event)->region();
                return false;
            }
        } paints;
        grid.viewport()->installEventFilter(&paints);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                          CellCentre(grid, 3, QStringLiteral("网址")));
        QCOMPARE(grid.CurrentRow(), 3);
        QTRY_VERIFY(!paints.Painted.isEmpty());
        const QRect oldRowRect(0, grid.rowViewportPosition(oldRow), grid.viewport()->width(),
                               grid.rowHeight(oldRow));
        QVERIFY(paints.Painted.contains(oldRowRect));
    }

    // A list that was empty is fitted when it gets its first rows; widths the user chose for
    // a list with rows stay when it is re-read; the last column reaches the right edge.
    void firstRowsAreFitted()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        TCardDBGrid grid;
        grid.resize(600, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        OpenGrid(db, ListAll(), grid, true);
        grid.HideColumn(QStringLiteral("ID"));
        const QString title(40, QLatin1Char('W'));
        AddAddress(folder.Db(), QStringLiteral("a.org"), title);
        db.RequeryGrid();
        const int column = grid.ColumnOf(QStringLiteral("标题"));
        QCOMPARE(grid.columnWidth(column), grid.fontMetrics().horizontalAdvance(title) + 4);

        grid.setColumnWidth(column, 60);
        AddAddress(folder.Db(), QStringLiteral("b.org"), QStringLiteral("b"));
        db.RequeryGrid();
        QCOMPARE(grid.columnWidth(column), 60);

        QHeaderView* titles = grid.horizontalHeader();
        const int last = titles->logicalIndex(titles->count() - 1);
        QCOMPARE(grid.columnViewportPosition(last) + grid.columnWidth(last),
                 grid.viewport()->width());
    }

    void autoFit()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        TCardDBGrid grid;
        // The widths as measured: the last column's stretch would widen it.
        grid.horizontalHeader()->setStretchLastSection(false);
        const QFontMetrics metrics = grid.fontMetrics();
        const QStringList fields = Texts({"ID", "标题", "备注", "网址"});

        OpenGrid(db, ListAll(), grid, true);
        for (const QString& field : fields)
            QCOMPARE(grid.columnWidth(grid.ColumnOf(field)), metrics.horizontalAdvance(field) + 24);

        // Row 50 counts, row 51 does not.
        const QString medium = QStringLiteral("a remark that is wider than its title");
        const QString longTitle(300, QLatin1Char('W'));
        for (int i = 1; i <= 60; ++i)
            AddAddress(folder.Db(), QStringLiteral("u"), i == 51 ? longTitle : QStringLiteral("t"),
                       i == 50 ? medium : QStringLiteral("r"));
        OpenGrid(db, ListAll(), grid, false);
        grid.HideColumn(QStringLiteral("ID"));
        grid.horizontalHeader()->moveSection(3, 0);
        grid.AutoFitColumns();
        QCOMPARE(grid.columnWidth(grid.ColumnOf(QStringLiteral("标题"))),
                 metrics.horizontalAdvance(QStringLiteral("标题")) + 24);
        QCOMPARE(grid.columnWidth(grid.ColumnOf(QStringLiteral("备注"))),
                 metrics.horizontalAdvance(medium) + 4);
        QCOMPARE(db.GridSet().CurrentRow(), 0);
        // The hidden column is sized too; it shows with that width.
        grid.showColumn(grid.ColumnOf(QStringLiteral("ID")));
        QCOMPARE(grid.columnWidth(grid.ColumnOf(QStringLiteral("ID"))),
                 metrics.horizontalAdvance(QStringLiteral("ID")) + 24);

        // Sorted the other way round, the long title is among the first rows.
        db.GridSet().SetSort(QStringLiteral("ID DESC"));
        grid.AutoFitColumns();
        QCOMPARE(grid.columnWidth(grid.ColumnOf(QStringLiteral("标题"))),
                 metrics.horizontalAdvance(longTitle) + 4);
    }

    // The page reads and hides columns by field, wherever the user dragged them; a new list
    // brings every column back in its place.
    void columnsByField()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        AddAddress(folder.Db(), QStringLiteral("a.org"), QStringLiteral("A"), QStringLiteral("ra"));
        AddAddress(folder.Db(), QStringLiteral("b.org"), QStringLiteral("B"), QStringLiteral("rb"));
        TCardDBGrid grid;
        ShowAllAddresses(db, grid);
        QVERIFY(grid.isColumnHidden(0));
        QVERIFY_THROWS_EXCEPTION(ECardError, grid.HideColumn(QStringLiteral("NoSuchField")));

        QHeaderView* titles = grid.horizontalHeader();
        titles->moveSection(titles->visualIndex(3), 1);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                          CellCentre(grid, 1, QStringLiteral("备注")));
        QCOMPARE(grid.CurrentValue(QStringLiteral("网址")), QStringLiteral("b.org"));
        QCOMPARE(grid.CurrentValue(QStringLiteral("标题")), QStringLiteral("B"));
        QCOMPARE(grid.CurrentValue(QStringLiteral("ID")), QStringLiteral("2"));
        QVERIFY_THROWS_EXCEPTION(ECardError, grid.CurrentValue(QStringLiteral("NoSuchField")));
        ClickTitle(grid, QStringLiteral("网址"));
        QCOMPARE(db.GridSet().Sort(), QStringLiteral("网址"));

        OpenGrid(db, ListAll(), grid, true);
        for (int column = 0; column < 4; ++column) {
            QVERIFY(!grid.isColumnHidden(column));
            QCOMPARE(titles->visualIndex(column), column);
        }
    }

    // The arrow keys move the current row from the start, although the column the first row was
    // made current in is hidden afterwards, and again after a re-read.
    void keysMoveTheCurrentRow()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        for (const char* url : {"a.org", "b.org", "c.org"})
            AddAddress(folder.Db(), QString::fromLatin1(url), QStringLiteral("t"));
        TCardDBGrid grid;
        ShowAllAddresses(db, grid);
        QCOMPARE(grid.CurrentRow(), 0);
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(grid.CurrentRow(), 1);
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(grid.CurrentValue(QStringLiteral("网址")), QStringLiteral("c.org"));
        QVERIFY(grid.selectionModel()->isRowSelected(2, {}));

        db.RequeryGrid();
        QCOMPARE(grid.CurrentRow(), 0);
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(grid.CurrentRow(), 1);
    }

    void doubleClickAndRequery()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        AddAddress(folder.Db(), QStringLiteral("a.org"), QStringLiteral("A"));
        AddAddress(folder.Db(), QStringLiteral("b.org"), QStringLiteral("B"));
        TCardDBGrid grid;
        grid.resize(500, 300);
        grid.show();
        OpenGrid(db, ListAll(), grid, true);
        QSignalSpy doubleClicks(&grid, &TCardDBGrid::DblClick);
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                           CellCentre(grid, 1, QStringLiteral("标题")));
        QCOMPARE(doubleClicks.size(), 1);
        QCOMPARE(grid.CurrentValue(QStringLiteral("网址")), QStringLiteral("b.org"));

        AddAddress(folder.Db(), QStringLiteral("c.org"), QStringLiteral("C"));
        db.RequeryGrid();
        QCOMPARE(Shown(grid, QStringLiteral("网址")), Texts({"a.org", "b.org", "c.org"}));
        QCOMPARE(grid.CurrentRow(), 0);
        QCOMPARE(grid.currentIndex().row(), 0);
        QVERIFY(grid.selectionModel()->isRowSelected(0, {}));
        QVERIFY(!grid.IsEmpty());
    }

    // A failing list leaves the grid bound to no rows; the handler shows the query headline and
    // logs the statement. The grid then ignores title clicks and column sizing.
    void failingList()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TCardException handler(dialogs);
        const QDateTime now(QDate(2024, 3, 5), QTime(10, 0));
        SetLogClock([now] { return now; });
        TDbAccess& db = folder.Connect();
        AddAddress(folder.Db(), QStringLiteral("a.org"), QStringLiteral("A"));
        TCardDBGrid grid;
        OpenGrid(db, ListAll(), grid, true);

        const QString bad = ListAll() + QStringLiteral(" where NoSuchColumn=1");
        RunGuarded([&] { OpenGrid(db, bad, grid, true); });
        QCOMPARE(grid.model()->rowCount(), 0);
        QCOMPARE(grid.model()->columnCount(), 0);
        QVERIFY(grid.IsEmpty());
        QCOMPARE(grid.CurrentRow(), -1);
        QCOMPARE(dialogs.Boxes.size(), 1);
        QVERIFY(dialogs.Boxes[0].Text.startsWith(QStringLiteral("数据库查询错误，请检查！")));
        QVERIFY(QString::fromLocal8Bit(folder.ReadFile(LogFileName(now))).contains(bad));

        grid.TitleClick(0);
        grid.AutoFitColumns();
        QCOMPARE(dialogs.Boxes.size(), 1);
        SetLogClock({});
    }

    // Every coloured text reads on its background in a light and a dark scheme: the grid's
    // stripes and current row, the find box after a miss, a field's grey hint and the search's
    // match.
    void colouredTextReads_data()
    {
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("background");
        for (const QPalette& palette : {LightPalette(), DarkPalette()}) {
            const QColor text = palette.color(QPalette::Text);
            const char* scheme = IsDark(palette.color(QPalette::Base)) ? "dark" : "light";
            QTest::addRow("%s odd", scheme) << text << GridColorsFor(palette).Odd;
            QTest::addRow("%s even", scheme) << text << GridColorsFor(palette).Even;
            QTest::addRow("%s current", scheme)
                << CurrentRowColors(palette).Text << CurrentRowColors(palette).Back;
            QTest::addRow("%s find miss", scheme) << text << TNotePage::FindMissColor(palette);
            const QColor base = palette.color(QPalette::Base);
            QTest::addRow("%s placeholder", scheme) << PlaceholderColour(palette) << base;
            const QColor highlight = palette.color(QPalette::Highlight);
            QTest::addRow("%s search match", scheme) << MarkColour(base, text) << base;
            QTest::addRow("%s search match chosen", scheme)
                << MarkColour(highlight, palette.color(QPalette::HighlightedText)) << highlight;
        }
    }

    void colouredTextReads()
    {
        QFETCH(QColor, text);
        QFETCH(QColor, background);
        QVERIFY2(ContrastRatio(text, background) >= ReadableContrast,
                 qPrintable(background.name()));
    }
};

QTEST_MAIN(TestCardDBGrid)
#include "tst_carddbgrid.moc"
