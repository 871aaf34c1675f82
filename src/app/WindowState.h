#pragma once

#include <QObject>
#include <QRect>
#include <QSet>

#include <memory>

class QSettings;
class QTabWidget;
class TNotePage;
class TWebAddrPage;

// The outer rectangle a window gets inside a screen's available area: the wanted one when all of
// it lies inside, otherwise as much of its size as fits, centred in the area.
QRect FitIntoArea(const QRect& wanted, const QRect& available);

// The main window's place and layout between runs: size, position and maximised state, both
// splitters, the current page, and the open branches and the selected group of both trees. They
// live in the user's configuration folder under the program's name; the data file holds none of
// it. Every value is read on its own: one that is missing or makes no sense is left at its
// default, the others still count.
class TWindowState final : public QObject
{
public:
    TWindowState(QWidget* window, QTabWidget* pages, TNotePage* notePage,
                 TWebAddrPage* webAddrPage);
    ~TWindowState() override;

    // The window's outer rectangle for its first showing: the remembered one, or the designed
    // one at the first start, fitted into the available area of a screen it lies on (the
    // primary screen when it lies on none).
    QRect Placement(const QRect& designed) const;
    // The client size for an outer size, by the frame the window had last time (the window
    // manager tells the frame only once the window is on screen).
    QSize ClientSize(const QSize& outer) const;
    bool WasMaximized() const;
    // The splitters and the current page; before the window is shown.
    void RestoreLayout() const;
    // The open branches and, with selections, the selected groups, after the trees are loaded;
    // a selected group shows its note as a click on it does. An address tree left without a
    // selection has its root selected. The address list then shows the selected group's
    // addresses (every address without one) once its page is seen.
    void RestoreTrees(bool selections = true);
    // Writes everything as it is now; nothing before the trees were restored (a login still
    // open, a first loading that failed), so that their remembered state is never lost.
    void Save() const;
    // Writes nothing more until the trees are restored again: the emptied trees of a locked
    // window must not replace what is remembered of them.
    void Hold() { FRestored = false; }

    // The settings store the state lives in.
    static std::unique_ptr<QSettings> OpenSettings();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void NoteNormalGeometry();

    QWidget* FWindow;
    QTabWidget* FPages;
    TNotePage* FNotePage;
    TWebAddrPage* FWebAddrPage;
    // The outer rectangle of the window while last neither maximised nor minimised: what a
    // restart gives back, also after the window was closed maximised.
    QRect FNormalRect;
    QSize FFrame;
    // The splitters whose page has been on screen: only they have widths worth keeping.
    QSet<const QObject*> FShownSplitters;
    bool FRestored = false;
};
