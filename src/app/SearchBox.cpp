#include "app/SearchBox.h"

#include "common/CardException.h"
#include "common/Errors.h"
#include "common/gui/Contrast.h"
#include "groups/CardTree.h"
#include "notes/NotePage.h"
#include "webaddr/WebAddrPage.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

constexpr int ListWidth = 520;
constexpr int ListMaxHeight = 260;

// A group the tree cannot show (below its shown levels) is refused rather than selected out of
// sight.
void RequireShown(const QTreeWidgetItem* node)
{
    if (TCardTree::LevelOf(node) > TCardTree::MaxShownLevel)
        throw ECardError(QCoreApplication::translate("TSearchBox",
                                                     "找到的分组在第 %1 层，超过了树能展开的 %2 "
                                                     "层，无法在树中显示它。")
                             .arg(TCardTree::LevelOf(node))
                             .arg(TCardTree::MaxShownLevel));
}

QTreeWidgetItem* NodeOf(TCardTree& tree, qint32 group)
{
    tree.FinishLoading();
    if (group == 0)
        return tree.RootNode();
    for (QTreeWidgetItemIterator it(tree.TreeView()); *it; ++it)
        if (TCardTree::KeyOf(*it).SelfIndex == group)
            return *it;
    return nullptr;
}

void ShowPageOf(QTabWidget* pages, const QWidget* page)
{
    for (int i = 0; i < pages->count(); ++i)
        if (pages->widget(i)->isAncestorOf(page))
            pages->setCurrentIndex(i);
}

// Paints a result line's rich text (the mark in colour); only the rows on screen are painted, so a
// long list costs nothing to fill.
class TResultDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString html = item.text;
        item.text.clear();
        QStyle* style = item.widget ? item.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
        const bool selected = item.state & QStyle::State_Selected;
        const QColor text =
            item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const QColor background =
            item.palette.color(selected ? QPalette::Highlight : QPalette::Base);
        QTextDocument document;
        document.setDefaultFont(item.font);
        document.setDocumentMargin(1);
        // The match in a colour that reads on the row, the highlight and a dark scheme's included.
        document.setDefaultStyleSheet(
            QStringLiteral("b { color: %1 }").arg(MarkColour(background, text).name()));
        document.setHtml(html);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = item.palette;
        context.palette.setColor(QPalette::Text, text);
        context.clip = QRectF(0, 0, item.rect.width() - 3, item.rect.height());
        painter->save();
        painter->translate(item.rect.topLeft() + QPoint(3, 0));
        painter->setClipRect(context.clip);
        document.documentLayout()->draw(painter, context);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {option.rect.width(), option.fontMetrics.height() + 4};
    }
};

bool SameHit(const TSearchHit& a, const TSearchHit& b)
{
    return a.Kind == b.Kind && a.Rank == b.Rank && a.Group == b.Group && a.AddressId == b.AddressId;
}

QString ResultLine(const TSearchHit& hit)
{
    const QString kind = hit.Kind == TSearchHit::TKind::Note
                             ? QCoreApplication::translate("TSearchBox", "笔记")
                             : QCoreApplication::translate("TSearchBox", "网址");
    // The kind in the row's own text colour: a fixed grey vanished on the highlight.
    return QStringLiteral("[") + kind + QStringLiteral("]&nbsp; ") + hit.Path.toHtmlEscaped() +
           QStringLiteral("&nbsp;&nbsp; ") + hit.Context.left(hit.MarkFrom).toHtmlEscaped() +
           QStringLiteral("<b>") + hit.Context.mid(hit.MarkFrom, hit.MarkLength).toHtmlEscaped() +
           QStringLiteral("</b>") + hit.Context.mid(hit.MarkFrom + hit.MarkLength).toHtmlEscaped();
}

} // namespace

TSearchBox::TSearchBox(TDbAccess& dbAccess, QWidget* window, QTabWidget* pages, TNotePage* notePage,
                       TWebAddrPage* webAddrPage)
    : QLineEdit(window), FDbAccess(dbAccess), FPages(pages), FNotePage(notePage),
      FWebAddrPage(webAddrPage)
{
    setObjectName(QStringLiteral("SearchBox"));
    setPlaceholderText(tr("搜索笔记和网址"));
    setAccessibleName(tr("搜索"));
    setAccessibleDescription(tr("搜索全部笔记、分组和网址（Ctrl+K）；上下键选择结果，Enter 转到，"
                                "Esc 清空"));
    setClearButtonEnabled(true);
    FollowPalette();
    setFixedWidth(200);

    // The list floats over the window's pages; the caret stays in the field while it is open.
    FList = new QListWidget(window);
    FList->setObjectName(QStringLiteral("SearchResults"));
    FList->setAccessibleName(tr("搜索结果"));
    FList->setFocusPolicy(Qt::NoFocus);
    FList->setUniformItemSizes(true);
    FList->setItemDelegate(new TResultDelegate(FList));
    FList->hide();

    FStepTimer = new QTimer(this);
    FStepTimer->setSingleShot(true);
    FStepTimer->setInterval(0);

    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), window);
    // Text fields claim Ctrl+K for themselves (the note editor would delete to the end of the
    // line): in this window the key belongs to the search.
    qApp->installEventFilter(this);
    ConnectGuarded(shortcut, &QShortcut::activated, this, [this] { Activate(); });
    ConnectGuarded(this, &QLineEdit::textEdited, this, [this] { StartSearch(); });
    ConnectGuarded(FStepTimer, &QTimer::timeout, this, [this] { SearchStep(); });
    ConnectGuarded(FList, &QListWidget::itemClicked, this,
                   [this](QListWidgetItem* item) { OpenResult(FList->row(item)); });
    ConnectGuarded(qApp, &QApplication::focusChanged, this, [this](QWidget* from, QWidget* to) {
        if (to == this && from && from != this)
            FReturnTo = from;
        else if (from == this && to)
            CloseResults(false);
    });
}

TSearchBox::~TSearchBox() = default;

void TSearchBox::Activate()
{
    if (QWidget* focus = QApplication::focusWidget(); focus && focus != this)
        FReturnTo = focus;
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
    // The data may have changed since the list was closed: search afresh.
    if (!text().isEmpty())
        StartSearch();
}

void TSearchBox::StartSearch()
{
    FQuery = text();
    FRun = std::make_unique<TSearchRun>(FDbAccess, FQuery);
    FHits.clear();
    FList->clear();
    if (FRun->Done()) {
        FList->hide();
        return;
    }
    // The key is done first; the search runs between the next events.
    ShowResults({});
    FStepTimer->start();
}

void TSearchBox::SearchStep()
{
    if (!FRun)
        return;
    const bool more = FRun->Step();
    ShowResults(FRun->Hits());
    if (more)
        FStepTimer->start();
}

void TSearchBox::ShowResults(std::vector<TSearchHit> hits)
{
    if (hits.empty()) {
        FHits.clear();
        FList->clear();
        auto* item =
            new QListWidgetItem(FRun && FRun->Done() ? tr("没有找到") : tr("正在搜索…"), FList);
        item->setFlags(Qt::NoItemFlags);
        PlaceResults();
        return;
    }
    // Results come best first and mostly at the end: the lines that stay are kept.
    size_t same = 0;
    while (same < hits.size() && same < FHits.size() && SameHit(hits[same], FHits[same]))
        ++same;
    if (FHits.empty())
        FList->clear(); // the "searching" line
    else if (same == hits.size() && same == FHits.size())
        return;
    const int current = std::max(0, FList->currentRow());
    while (FList->count() > int(same))
        delete FList->takeItem(FList->count() - 1);
    FHits = std::move(hits);
    for (size_t i = same; i < FHits.size(); ++i)
        FList->addItem(ResultLine(FHits[i]));
    FList->setCurrentRow(std::min(current, int(FHits.size()) - 1));
    PlaceResults();
}

void TSearchBox::PlaceResults()
{
    QWidget* window = FList->parentWidget();
    const QPoint corner = mapTo(window, QPoint(0, 0));
    const int rowHeight = std::max(18, FList->sizeHintForRow(0));
    const int height = std::min(ListMaxHeight, rowHeight * std::max(1, FList->count()) + 4);
    const int width = std::min(ListWidth, window->width() - corner.x());
    FList->setGeometry(corner.x(), corner.y() - height, width, height);
    FList->raise();
    FList->show();
}

void TSearchBox::CloseResults(bool returnCaret)
{
    // A search nobody looks at any more stops, so that it never slows down typing elsewhere.
    FStepTimer->stop();
    FRun.reset();
    FList->hide();
    if (returnCaret && FReturnTo)
        FReturnTo->setFocus(Qt::OtherFocusReason);
}

void TSearchBox::Refresh()
{
    if (FList->isVisible())
        StartSearch();
    else
        FHits.clear();
}

void TSearchBox::Clear()
{
    CloseResults(false);
    FList->clear();
    clear();
}

void TSearchBox::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        // The search is done with: the next one starts from an empty field.
        RunGuarded([this] {
            clear();
            CloseResults(true);
        });
        return;
    }
    if (FList->isVisible() && !FHits.empty()) {
        const int last = int(FHits.size()) - 1;
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            const int step = key == Qt::Key_Down ? 1 : -1;
            FList->setCurrentRow(std::clamp(FList->currentRow() + step, 0, last));
            return;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RunGuarded([this] { OpenResult(std::max(0, FList->currentRow())); });
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

bool TSearchBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QKeyEvent*>(event)->keyCombination() ==
            QKeyCombination(Qt::ControlModifier, Qt::Key_K) &&
        static_cast<QWidget*>(watched)->window() == window()) {
        event->ignore();
        return true;
    }
    return QLineEdit::eventFilter(watched, event);
}

void TSearchBox::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !FFollowingPalette)
        FollowPalette();
}

void TSearchBox::FollowPalette()
{
    // The hint starts from the scheme's own, not from the colour the field was given before.
    QPalette scheme = palette();
    scheme.setColor(QPalette::PlaceholderText,
                    (parentWidget() ? parentWidget()->palette() : QApplication::palette(this))
                        .color(QPalette::PlaceholderText));
    const QColor hint = PlaceholderColour(scheme);
    if (palette().color(QPalette::PlaceholderText) == hint)
        return;
    QPalette own = palette();
    own.setColor(QPalette::PlaceholderText, hint);
    FFollowingPalette = true;
    setPalette(own);
    FFollowingPalette = false;
}

void TSearchBox::OpenResult(int row)
{
    if (row < 0 || row >= int(FHits.size()))
        return;
    const TSearchHit hit = FHits[size_t(row)];
    CloseResults(false);
    if (hit.Kind == TSearchHit::TKind::Note)
        OpenNote(hit);
    else
        OpenAddress(hit);
}

void TSearchBox::OpenNote(const TSearchHit& hit)
{
    TCardTree& tree = FNotePage->NoteTree();
    QTreeWidgetItem* node = NodeOf(tree, hit.Group);
    if (!node)
        return;
    RequireShown(node);
    ShowPageOf(FPages, FNotePage);
    tree.Select(node);
    tree.TreeView()->scrollToItem(node);
    FNotePage->ShowSelectedNote();
    if (hit.Offset < 0) {
        tree.TreeView()->setFocus();
        return;
    }
    // The editor may show line breaks differently from the stored text: find the match again
    // in what it shows.
    FNotePage->SelectInNote(FindFolded(FNotePage->ShownText(), FQuery), hit.MarkLength);
}

void TSearchBox::OpenAddress(const TSearchHit& hit)
{
    TCardTree& tree = FWebAddrPage->IETree();
    QTreeWidgetItem* node = NodeOf(tree, hit.Group);
    // An address of a group that is gone shows among all addresses.
    if (!node)
        node = tree.RootNode();
    RequireShown(node);
    ShowPageOf(FPages, FWebAddrPage);
    tree.Select(node);
    tree.TreeView()->scrollToItem(node);
    FWebAddrPage->tvIEClick();
    if (hit.AddressId.isEmpty()) {
        tree.TreeView()->setFocus();
        return;
    }
    FWebAddrPage->SelectAddress(hit.AddressId);
}
