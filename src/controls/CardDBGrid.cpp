#include "controls/CardDBGrid.h"

#include "common/CardException.h"
#include "common/Errors.h"
#include "common/gui/Contrast.h"
#include "controls/GridColors.h"
#include "data/GridSet.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const QChar ArrowUp(0x25B2);   // ▲
const QChar ArrowDown(0x25BC); // ▼
constexpr int TitleMargin = 24;
constexpr int ValueMargin = 4;
constexpr int TextIndent = ValueMargin / 2;
constexpr int AutoFitRows = 50;

// Paints a cell over the stripe the view gives it: the current row's background, the text
// indented as the column widths assume, then the line below the cell and the one at its right.
class TStripedDelegate final : public QStyledItemDelegate
{
public:
    explicit TStripedDelegate(TCardDBGrid* grid) : QStyledItemDelegate(grid), FGrid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const QRect rect = option.rect;
        const bool current = index.row() == FGrid->CurrentRow();
        painter->save();
        if (current)
            painter->fillRect(rect, TCardDBGrid::MenuHighlightColor());
        painter->setFont(option.font);
        painter->setPen(current ? TCardDBGrid::MenuHighlightTextColor()
                                : option.palette.color(QPalette::Text));
        const auto alignment = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
        // One pixel on the right, where the cell already gives one to the grid line: a column
        // fitted to its widest text shows that text whole.
        const QRect textRect = rect.adjusted(TextIndent, 0, -1, -1);
        // A text cut off hard looks complete; the ellipsis says there is more.
        const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                           Qt::ElideRight, textRect.width());
        painter->drawText(textRect, int(alignment) | Qt::TextSingleLine, text);
        painter->setPen(FGrid->GriddingRowColor());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->setPen(FGrid->GriddingColColor());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->restore();
    }

private:
    TCardDBGrid* FGrid;
};

bool StartsWithArrow(const QString& caption)
{
    return caption.startsWith(ArrowUp) || caption.startsWith(ArrowDown);
}

} // namespace

TCardDBGrid::TCardDBGrid(QWidget* parent) : QTableView(parent)
{
    // Record numbers start at 1: the first row is an odd one, in the base colour, and every
    // second row takes the palette's alternate base, which holds the even rows' colour.
    setAlternatingRowColors(true);
    FollowPalette();
    setItemDelegate(new TStripedDelegate(this));
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setShowGrid(false);
    // The arrow keys move among the rows; Tab and Shift+Tab go on to the window's next control.
    setTabKeyNavigation(false);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);

    QHeaderView* titles = horizontalHeader();
    titles->setSectionsClickable(true);
    titles->setSectionsMovable(true);
    titles->setHighlightSections(false);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setSortIndicatorShown(false);
    // The last column takes what is left up to the grid's right edge.
    titles->setStretchLastSection(true);
    ConnectGuarded(titles, &QHeaderView::sectionClicked, this,
                   [this](int column) { TitleClick(column); });
}

TCardDBGrid::~TCardDBGrid() = default;

void TCardDBGrid::SetDataSource(TGridSource* source)
{
    if (source == FSource && model() == source)
        return;
    if (FSource)
        disconnect(FSource, nullptr, this, nullptr);
    QItemSelectionModel* oldSelection = selectionModel();
    FSource = source;
    setModel(source);
    // The view made a new selection model for the new model; the old one is ours to free.
    if (oldSelection && oldSelection != selectionModel())
        oldSelection->deleteLater();
    if (!source)
        return;
    ConnectGuarded(source, &TGridSource::CurrentRowChanged, this, [this] { FollowCurrentRow(); });
    ConnectGuarded(source, &QAbstractItemModel::modelReset, this, [this] { ListReset(); });
    ConnectGuarded(
        selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current, const QModelIndex&) { ViewCurrentChanged(current); });
    FollowCurrentRow();
}

void TCardDBGrid::ListReset()
{
    // A list that was empty has columns sized to its titles alone: its first rows are fitted as
    // a new list is. Widths the user chose for rows already shown are left alone.
    const bool hasRows = !IsEmpty();
    if (FShowedNoRows && hasRows)
        AutoFitColumns();
    FShowedNoRows = !hasRows;
}

void TCardDBGrid::FollowCurrentRow()
{
    // The current row is painted whole in the highlight colour: the row that was current must
    // be painted again whole too, not only the cells the view itself updates.
    viewport()->update();
    QItemSelectionModel* selection = selectionModel();
    if (!FSource || !selection)
        return;
    const int row = FSource->CurrentRow();
    const QModelIndex current = currentIndex();
    if (row < 0) {
        if (current.isValid())
            selection->clear();
        return;
    }
    if (current.isValid() && current.row() == row)
        return;
    const QModelIndex target =
        FSource->index(row, current.isValid() ? current.column() : FirstVisibleColumn());
    selection->setCurrentIndex(target,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(target);
}

void TCardDBGrid::ViewCurrentChanged(const QModelIndex& current)
{
    // An invalid index comes while the model resets: the result keeps its own current row.
    if (FSource && current.isValid())
        FSource->SetCurrentRow(current.row());
}

int TCardDBGrid::FirstVisibleColumn() const
{
    const QHeaderView* titles = horizontalHeader();
    for (int visual = 0; visual < titles->count(); ++visual) {
        const int logical = titles->logicalIndex(visual);
        if (!titles->isSectionHidden(logical))
            return logical;
    }
    return 0;
}

void TCardDBGrid::AutoFitColumns()
{
    if (!FSource || !FSource->GridSet().Active())
        return;
    const TGridSet& set = FSource->GridSet();
    const QFontMetrics metrics = fontMetrics();
    const int fields = set.FieldCount();
    std::vector<int> widths(static_cast<size_t>(fields));
    for (int i = 0; i < fields; ++i)
        widths[size_t(i)] =
            metrics.horizontalAdvance(FSource->headerData(i, Qt::Horizontal).toString()) +
            TitleMargin;
    // A long list costs no more than a short one: only the first rows are measured, straight
    // from the result, without moving its current row.
    const int rows = std::min(set.RecordCount(), AutoFitRows);
    for (int row = 0; row < rows; ++row)
        for (int i = 0; i < fields; ++i) {
            const int width =
                metrics.horizontalAdvance(TGridSource::DisplayText(set.Value(row, i))) +
                ValueMargin;
            widths[size_t(i)] = std::max(widths[size_t(i)], width);
        }
    for (int i = 0; i < fields; ++i)
        setColumnWidth(i, widths[size_t(i)]);
}

void TCardDBGrid::RefitColumns()
{
    AutoFitColumns();
    if (!FSource || !FSource->GridSet().Active())
        return;
    // The widest column gives way, down to its title, so that the others stay in sight.
    const QHeaderView* titles = horizontalHeader();
    int total = 0;
    int widest = -1;
    for (int column = 0; column < titles->count(); ++column) {
        if (titles->isSectionHidden(column))
            continue;
        total += columnWidth(column);
        if (widest < 0 || columnWidth(column) > columnWidth(widest))
            widest = column;
    }
    const int room = viewport()->width();
    if (widest < 0 || room <= 0 || total <= room)
        return;
    const int least =
        fontMetrics().horizontalAdvance(FSource->headerData(widest, Qt::Horizontal).toString()) +
        TitleMargin;
    setColumnWidth(widest, std::max(least, columnWidth(widest) - (total - room)));
}

void TCardDBGrid::TitleClick(int column)
{
    if (!FSource || !FSource->GridSet().Active())
        return;
    TGridSet& set = FSource->GridSet();
    for (int i = 0; i < FSource->columnCount(); ++i) {
        const QString caption = FSource->headerData(i, Qt::Horizontal).toString();
        if (StartsWithArrow(caption))
            FSource->setHeaderData(i, Qt::Horizontal, caption.mid(1));
    }
    const QString name = FSource->FieldName(column);
    if (name.isEmpty())
        return;
    const QString caption = FSource->headerData(column, Qt::Horizontal).toString();

    // The same column toggles its direction by editing the sort text: removing "DESC" leaves the
    // blank before it, so the texts run "name", "name DESC", "name ", "name  DESC", ...
    const QString sort = set.Sort();
    const TGridSet::TSortOrder order = TGridSet::ParseSort(sort);
    QString newSort;
    QChar arrow = ArrowUp;
    if (order.Field.isEmpty() || order.Field.compare(name, Qt::CaseInsensitive) != 0) {
        newSort = name;
    } else if (order.Descending) {
        newSort = sort;
        newSort.remove(sort.lastIndexOf(QLatin1String("DESC"), -1, Qt::CaseInsensitive), 4);
    } else {
        newSort = sort + QLatin1String(" DESC");
        arrow = ArrowDown;
    }
    FSource->setHeaderData(column, Qt::Horizontal, QString(arrow + caption));
    set.SetSort(newSort);
}

void TCardDBGrid::SetGridOddColor(const QColor& color)
{
    if (color == FGridOddColor)
        return;
    FGridOddColor = color;
    ApplyStripes();
}

void TCardDBGrid::SetGridEvenColor(const QColor& color)
{
    if (color == FGridEvenColor)
        return;
    FGridEvenColor = color;
    ApplyStripes();
}

void TCardDBGrid::SetGriddingRowColor(const QColor& color)
{
    if (color != FGriddingRowColor)
        FGriddingRowColor = color;
}

void TCardDBGrid::SetGriddingColColor(const QColor& color)
{
    if (color != FGriddingColColor)
        FGriddingColColor = color;
}

void TCardDBGrid::FollowPalette()
{
    // A colour given from outside stays; one that still is the palette's follows the new one.
    const TGridColors colors = GridColorsFor(palette());
    const auto follow = [](QColor& color, const QColor& derived, const QColor& was) {
        if (!color.isValid() || color == was)
            color = derived;
    };
    follow(FGridOddColor, colors.Odd, FDerivedColors.Odd);
    follow(FGridEvenColor, colors.Even, FDerivedColors.Even);
    follow(FGriddingRowColor, colors.Line, FDerivedColors.Line);
    follow(FGriddingColColor, colors.Line, FDerivedColors.Line);
    FDerivedColors = colors;
    ApplyStripes();
}

void TCardDBGrid::ApplyStripes()
{
    // The base is written only when the odd rows' colour was given: otherwise it stays the
    // palette's, and follows a change of colour scheme.
    QPalette stripes = palette();
    bool changed = false;
    for (const auto& [role, color] : {std::pair(QPalette::Base, FGridOddColor),
                                      std::pair(QPalette::AlternateBase, FGridEvenColor)}) {
        if (stripes.color(QPalette::Active, role) != color) {
            stripes.setColor(role, color);
            changed = true;
        }
    }
    if (!changed)
        return;
    FApplyingStripes = true;
    setPalette(stripes);
    FApplyingStripes = false;
}

void TCardDBGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !FApplyingStripes)
        FollowPalette();
}

QColor TCardDBGrid::MenuHighlightColor()
{
    return CurrentRowColors(QApplication::palette("QMenu")).Back;
}

QColor TCardDBGrid::MenuHighlightTextColor()
{
    return CurrentRowColors(QApplication::palette("QMenu")).Text;
}

QColor TCardDBGrid::RowColor(int row) const
{
    if (row >= 0 && row == CurrentRow())
        return MenuHighlightColor();
    return TGridSet::RecNoOf(row) % 2 == 1 ? FGridOddColor : FGridEvenColor;
}

bool TCardDBGrid::IsEmpty() const
{
    return !FSource || FSource->GridSet().IsEmpty();
}

int TCardDBGrid::CurrentRow() const
{
    return FSource ? FSource->CurrentRow() : -1;
}

QString TCardDBGrid::CurrentValue(const QString& fieldName) const
{
    if (!FSource)
        return {};
    return FSource->GridSet().AsString(fieldName);
}

int TCardDBGrid::ColumnOf(const QString& fieldName) const
{
    return FSource ? FSource->ColumnOf(fieldName) : -1;
}

void TCardDBGrid::HideColumn(const QString& fieldName)
{
    const int column = ColumnOf(fieldName);
    if (column < 0)
        throw ECardError(tr("找不到字段：") + fieldName);
    hideColumn(column);
    // The keys move the current cell, which they cannot do from a hidden column.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() == column)
        selectionModel()->setCurrentIndex(FSource->index(current.row(), FirstVisibleColumn()),
                                          QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
}

void TCardDBGrid::SetPlaceholderText(const QString& text)
{
    FPlaceholderText = text;
    viewport()->update();
}

void TCardDBGrid::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (FPlaceholderText.isEmpty() || !IsEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(PlaceholderColour(palette()));
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                     FPlaceholderText);
}

void TCardDBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    Q_EMIT DblClick();
}
