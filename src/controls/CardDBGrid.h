#pragma once

#include "controls/GridColors.h"
#include "controls/GridSource.h"
#include "controls/GridView.h"

#include <QColor>
#include <QPointer>
#include <QTableView>

// The striped data grid: a read-only, whole-row grid over the grid result set. Rows alternate
// between two background colours by record number (the palette's base and alternate base, the
// latter computed from the base unless set), the current row shows in the menu highlight colour,
// every cell has a coloured line below and at its right, and a click on a column title sorts the
// rows by that field, marking the title with "▲" (ascending) or "▼" (descending). Columns may be
// dragged to new places; everything here addresses them by field.
class TCardDBGrid final : public QTableView, public TGridView
{
    Q_OBJECT
    Q_PROPERTY(QColor GridOddColor READ GridOddColor WRITE SetGridOddColor)
    Q_PROPERTY(QColor GridEvenColor READ GridEvenColor WRITE SetGridEvenColor)
    Q_PROPERTY(QColor GriddingRowColor READ GriddingRowColor WRITE SetGriddingRowColor)
    Q_PROPERTY(QColor GriddingColColor READ GriddingColColor WRITE SetGriddingColColor)

public:
    explicit TCardDBGrid(QWidget* parent = nullptr);
    ~TCardDBGrid() override;

    // The result the grid shows; its columns are the fields of the result.
    void SetDataSource(TGridSource* source) override;
    TGridSource* DataSource() const { return FSource; }

    // Sizes every column to its title (text width + 24) or, when wider, to the widest of its
    // values in the first 50 rows (text width + 4). Nothing happens without an open result.
    void AutoFitColumns() override;
    // The same for rows added or changed in a list on show, within the grid's visible width: the
    // widest column gives way (down to its title) rather than push the others out of sight.
    void RefitColumns();

    // Sorts by the field of a column (a logical index), as a click on its title does:
    // ascending, then descending, then ascending again; another column starts ascending.
    void TitleClick(int column);

    // The colours. A change shows at the next repaint.
    QColor GridOddColor() const { return FGridOddColor; }
    void SetGridOddColor(const QColor& color);
    QColor GridEvenColor() const { return FGridEvenColor; }
    void SetGridEvenColor(const QColor& color);
    QColor GriddingRowColor() const { return FGriddingRowColor; }
    void SetGriddingRowColor(const QColor& color);
    QColor GriddingColColor() const { return FGriddingColColor; }
    void SetGriddingColColor(const QColor& color);

    // The background a row is painted in.
    QColor RowColor(int row) const;
    static QColor MenuHighlightColor();
    static QColor MenuHighlightTextColor();

    // What the page reads: whether there is any row, the current row (-1 when none), and a
    // field of the current row as text ("" without rows). An unknown field is an error.
    bool IsEmpty() const;
    int CurrentRow() const;
    QString CurrentValue(const QString& fieldName) const;

    // The column (logical index) of a field, -1 when there is none.
    int ColumnOf(const QString& fieldName) const;
    // Hides the column of a field; an unknown field is an error.
    void HideColumn(const QString& fieldName);

    // A grey hint drawn over the grid while it has no rows; it is no row and no value.
    void SetPlaceholderText(const QString& text);
    QString PlaceholderText() const { return FPlaceholderText; }

Q_SIGNALS:
    // A double click anywhere among the rows.
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FollowPalette();
    // Puts the stripes' colours into the palette the view paints the rows with.
    void ApplyStripes();
    // The list was opened, re-read, sorted or closed.
    void ListReset();
    // Makes the view's current row the result's current row.
    void FollowCurrentRow();
    void ViewCurrentChanged(const QModelIndex& current);
    int FirstVisibleColumn() const;

    QPointer<TGridSource> FSource;
    QColor FGridOddColor;
    QColor FGridEvenColor;
    QColor FGriddingRowColor;
    QColor FGriddingColColor;
    TGridColors FDerivedColors;
    QString FPlaceholderText;
    bool FShowedNoRows = true;
    bool FApplyingStripes = false;
};
