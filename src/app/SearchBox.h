#pragma once

#include "app/Search.h"

#include <QLineEdit>
#include <QPointer>

#include <memory>
#include <vector>

class QListWidget;
class QTabWidget;
class QTimer;
class TDbAccess;
class TNotePage;
class TWebAddrPage;

// The search field of the main window's bottom bar ("搜索笔记和网址", Ctrl+K). It searches
// every group name, note and address as the user types, a step at a time between the events of
// the window, and lists the results above itself. Enter or a click goes to the chosen result; Esc
// empties the field, closes the list and gives the caret back to where it was.
class TSearchBox final : public QLineEdit
{
    Q_OBJECT

public:
    // Searches the data behind the given connection.
    TSearchBox(TDbAccess& dbAccess, QWidget* window, QTabWidget* pages, TNotePage* notePage,
               TWebAddrPage* webAddrPage);
    ~TSearchBox() override;

    // Ctrl+K: the caret comes here; where it was is remembered for Esc.
    void Activate();
    // Goes to a listed result: its page, its group and its text.
    void OpenResult(int row);
    // Closes the list; with returnCaret the caret goes back to where it was.
    void CloseResults(bool returnCaret);

    bool Searching() const { return FRun && !FRun->Done(); }
    // The data changed under the results: a list on show searches again, keeping the query.
    void Refresh();
    // Forgets the query and its results, starting no search.
    void Clear();
    const std::vector<TSearchHit>& Results() const { return FHits; }
    QListWidget* ResultList() const { return FList; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The grey hint keeps to the scheme, readable on the field.
    void FollowPalette();
    void StartSearch();
    void SearchStep();
    void ShowResults(std::vector<TSearchHit> hits);
    void PlaceResults();
    void OpenNote(const TSearchHit& hit);
    void OpenAddress(const TSearchHit& hit);

    TDbAccess& FDbAccess;
    QTabWidget* FPages;
    TNotePage* FNotePage;
    TWebAddrPage* FWebAddrPage;
    QListWidget* FList;
    QTimer* FStepTimer;
    QString FQuery; // of the results listed
    std::unique_ptr<TSearchRun> FRun;
    std::vector<TSearchHit> FHits;
    QPointer<QWidget> FReturnTo;
    bool FFollowingPalette = false;
};
