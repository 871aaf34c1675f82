#include "app/WindowState.h"

#include "common/CardException.h"
#include "groups/CardTree.h"
#include "notes/NotePage.h"
#include "settings/LockSettings.h"
#include "webaddr/WebAddrPage.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWidget>

#include <optional>

namespace {

// Far beyond any desktop: a larger number is damage, not a place.
constexpr int Limit = 100000;

// A value as text; an unquoted list in the file reads back as one.
QString ValueText(const QSettings& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

std::optional<int> ReadInt(const QSettings& settings, const QString& key, int min, int max)
{
    bool ok = false;
    const int value = ValueText(settings, key).trimmed().toInt(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

QList<int> ReadInts(const QSettings& settings, const QString& key)
{
    QList<int> values;
    for (const QString& text : ValueText(settings, key).split(QLatin1Char(','))) {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (ok)
            values << value;
    }
    return values;
}

QString JoinInts(const QList<int>& values)
{
    QStringList texts;
    for (const int value : values)
        texts << QString::number(value);
    return texts.join(QLatin1Char(','));
}

QString Key(const QString& group, const char* name)
{
    return group + QLatin1Char('/') + QLatin1String(name);
}

void SaveTree(QSettings& settings, const QString& group, const TCardTree& tree)
{
    QList<int> expanded;
    for (QTreeWidgetItemIterator it(tree.TreeView()); *it; ++it)
        if ((*it)->isExpanded())
            expanded << TCardTree::KeyOf(*it).SelfIndex;
    settings.setValue(Key(group, "Expanded"), JoinInts(expanded));
    if (const QTreeWidgetItem* selected = tree.Selected())
        settings.setValue(Key(group, "Selected"), TCardTree::KeyOf(selected).SelfIndex);
    else
        settings.remove(Key(group, "Selected"));
}

// Opens the remembered branches; returns the remembered selected node, null when there is none
// or its group is gone.
QTreeWidgetItem* RestoreTree(const QSettings& settings, const QString& group, const TCardTree& tree)
{
    const QList<int> expanded = ReadInts(settings, Key(group, "Expanded"));
    const std::optional<int> selected = ReadInt(settings, Key(group, "Selected"), 0, INT_MAX);
    QTreeWidgetItem* selectedNode = nullptr;
    for (QTreeWidgetItemIterator it(tree.TreeView()); *it; ++it) {
        const int self = TCardTree::KeyOf(*it).SelfIndex;
        if (expanded.contains(self))
            (*it)->setExpanded(true);
        if (selected && *selected == self && !selectedNode)
            selectedNode = *it;
    }
    return selectedNode;
}

void SaveSplitter(QSettings& settings, const QString& group, const QSplitter* splitter, bool shown)
{
    // A page never shown this run has no real widths: what was remembered stays.
    if (shown)
        settings.setValue(Key(group, "TreeWidth"), splitter->sizes().value(0));
}

void RestoreSplitter(const QSettings& settings, const QString& group, QSplitter* splitter)
{
    // As the pages set their designed 200 pixels: the page gets its final width only when it is
    // first shown, and the content side takes up the difference.
    if (const std::optional<int> width = ReadInt(settings, Key(group, "TreeWidth"), 1, Limit))
        splitter->setSizes({*width, qMax(800 - *width, 100)});
}

const QString NotesGroup = QStringLiteral("Notes");
const QString AddressesGroup = QStringLiteral("Addresses");

} // namespace

QRect FitIntoArea(const QRect& wanted, const QRect& available)
{
    if (available.contains(wanted))
        return wanted;
    QRect fitted(QPoint(), wanted.size().boundedTo(available.size()));
    fitted.moveCenter(available.center());
    return fitted;
}

TWindowState::TWindowState(QWidget* window, QTabWidget* pages, TNotePage* notePage,
                           TWebAddrPage* webAddrPage)
    : QObject(window), FWindow(window), FPages(pages), FNotePage(notePage),
      FWebAddrPage(webAddrPage)
{
    window->installEventFilter(this);
    notePage->Splitter().installEventFilter(this);
    webAddrPage->Splitter().installEventFilter(this);
}

TWindowState::~TWindowState() = default;

std::unique_ptr<QSettings> TWindowState::OpenSettings()
{
    return OpenUserSettings();
}

QRect TWindowState::Placement(const QRect& designed) const
{
    const std::unique_ptr<QSettings> settings = OpenSettings();
    QRect wanted = designed;
    const auto left = ReadInt(*settings, QStringLiteral("Window/Left"), -Limit, Limit);
    const auto top = ReadInt(*settings, QStringLiteral("Window/Top"), -Limit, Limit);
    const auto width = ReadInt(*settings, QStringLiteral("Window/Width"), 100, Limit);
    const auto height = ReadInt(*settings, QStringLiteral("Window/Height"), 100, Limit);
    if (width && height)
        wanted.setSize(QSize(*width, *height));
    if (left && top)
        wanted.moveTopLeft(QPoint(*left, *top));

    // A window whose monitor is gone is brought back onto one that is there.
    QScreen* screen = QGuiApplication::screenAt(wanted.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return wanted;
    return FitIntoArea(wanted, screen->availableGeometry());
}

QSize TWindowState::ClientSize(const QSize& outer) const
{
    const std::unique_ptr<QSettings> settings = OpenSettings();
    const auto width = ReadInt(*settings, QStringLiteral("Window/FrameWidth"), 0, 200);
    const auto height = ReadInt(*settings, QStringLiteral("Window/FrameHeight"), 0, 200);
    if (!width || !height)
        return outer;
    return (outer - QSize(*width, *height)).expandedTo(QSize(100, 100));
}

bool TWindowState::WasMaximized() const
{
    return ReadInt(*OpenSettings(), QStringLiteral("Window/Maximized"), 0, 1) == 1;
}

void TWindowState::RestoreLayout() const
{
    const std::unique_ptr<QSettings> settings = OpenSettings();
    RestoreSplitter(*settings, NotesGroup, &FNotePage->Splitter());
    RestoreSplitter(*settings, AddressesGroup, &FWebAddrPage->Splitter());
    if (const auto page = ReadInt(*settings, QStringLiteral("Window/Page"), 0, FPages->count() - 1))
        FPages->setCurrentIndex(*page);
}

void TWindowState::RestoreTrees(bool selections)
{
    const std::unique_ptr<QSettings> settings = OpenSettings();
    QTreeWidgetItem* node = RestoreTree(*settings, NotesGroup, FNotePage->NoteTree());
    if (node && selections) {
        FNotePage->NoteTree().Select(node);
        FNotePage->tvNoteClick();
    }
    // The commands over a tree work on its selection: a tree is never left without one.
    TCardTree& addresses = FWebAddrPage->IETree();
    node = RestoreTree(*settings, AddressesGroup, addresses);
    if (node && selections)
        addresses.Select(node);
    else if (!addresses.Selected())
        addresses.Select(addresses.RootNode());
    // A list the user has had shown meanwhile stays as it is.
    if (selections || !FWebAddrPage->Listed())
        FWebAddrPage->ListWhenShown();
    FRestored = true;
}

void TWindowState::Save() const
{
    if (!FRestored)
        return;
    const std::unique_ptr<QSettings> settings = OpenSettings();
    const QRect normal = FNormalRect.isValid() ? FNormalRect : FWindow->frameGeometry();
    settings->setValue(QStringLiteral("Window/Left"), normal.left());
    settings->setValue(QStringLiteral("Window/Top"), normal.top());
    settings->setValue(QStringLiteral("Window/Width"), normal.width());
    settings->setValue(QStringLiteral("Window/Height"), normal.height());
    if (FFrame.isValid()) {
        settings->setValue(QStringLiteral("Window/FrameWidth"), FFrame.width());
        settings->setValue(QStringLiteral("Window/FrameHeight"), FFrame.height());
    }
    settings->setValue(QStringLiteral("Window/Maximized"), FWindow->isMaximized() ? 1 : 0);
    settings->setValue(QStringLiteral("Window/Page"), FPages->currentIndex());
    SaveSplitter(*settings, NotesGroup, &FNotePage->Splitter(),
                 FShownSplitters.contains(&FNotePage->Splitter()));
    SaveSplitter(*settings, AddressesGroup, &FWebAddrPage->Splitter(),
                 FShownSplitters.contains(&FWebAddrPage->Splitter()));
    SaveTree(*settings, NotesGroup, FNotePage->NoteTree());
    SaveTree(*settings, AddressesGroup, FWebAddrPage->IETree());
}

void TWindowState::NoteNormalGeometry()
{
    if (FWindow->isVisible() &&
        !(FWindow->windowState() &
          (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
        FNormalRect = FWindow->frameGeometry();
        FFrame = FNormalRect.size() - FWindow->size();
    }
}

bool TWindowState::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FWindow && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        RunGuarded([this] { NoteNormalGeometry(); });
    else if (event->type() == QEvent::Show && qobject_cast<QSplitter*>(watched))
        FShownSplitters.insert(watched);
    return QObject::eventFilter(watched, event);
}
