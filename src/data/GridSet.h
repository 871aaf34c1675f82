#pragma once

#include "data/ResultSet.h"

#include <memory>
#include <vector>

// The rows the address grid shows. Besides what every result set offers it numbers its records
// (1 for the first row), runs its statement again in place, and sorts its fetched rows in memory
// by a sort text: a field name, optionally followed by " DESC". Whoever shows the set listens to
// it, so the view follows every change of the rows and of the current row.
class TGridSet final : public TResultSet
{
public:
    // Whoever shows the set: the set keeps it and it lives as long as the set, so a view never
    // reads rows that are gone.
    class TListener
    {
    public:
        virtual ~TListener() = default;
        virtual void GridSetAboutToChange() = 0;
        // fieldsRebuilt: a new statement (or none) replaced the set; otherwise the same fields
        // hold re-read or re-ordered rows.
        virtual void GridSetChanged(bool fieldsRebuilt) = 0;
        virtual void GridSetCurrentMoved() = 0;
    };

    struct TSortOrder
    {
        QString Field; // empty: the order in which the rows were fetched
        bool Descending = false;
    };

    void SetListener(std::unique_ptr<TListener> listener);
    TListener* Listener() const { return FListener.get(); }

    // Runs the statement of the last successful open again and keeps the sort. The current row
    // is the first. Returns the engine's message, or an empty text on success; a failure leaves
    // the set closed but remembers the statement, so a later requery can try again.
    QString Requery(sqlite3* connection);
    const QString& LastStatement() const { return FLastStatement; }

    // The record number of a row (0-based), and of the current row: 0 when there is none.
    static int RecNoOf(int row) { return row + 1; }
    int RecNo() const { return Eof() ? 0 : RecNoOf(CurrentRow()); }

    // The sort text; setting it reorders the rows in place and keeps the current record current.
    // Numbers sort numerically, texts as the user's locale sorts them, NULLs first ascending;
    // rows with equal values keep the order they were fetched in. An empty text restores the
    // fetched order. A field the set lacks, or a closed set, is refused and nothing changes.
    const QString& Sort() const { return FSort; }
    void SetSort(const QString& sort);

    // Reads "Field", "Field DESC" or "Field ASC", blanks around them ignored.
    static TSortOrder ParseSort(const QString& sort);

protected:
    void RowsAboutToChange() override;
    void RowsChanged() override;
    void CurrentRowMoved() override;

private:
    // Puts the rows into the order of the sort text; the current record stays current when
    // keepCurrent, otherwise the first row becomes current.
    void ApplySort(const TSortOrder& order, bool keepCurrent);
    // The rank of each fetched row's value in a field's ascending order (equal values share a
    // rank), collated once and kept until the rows change, so that sorting the same field again,
    // the other way round, needs no collation.
    const std::vector<int>& RanksOf(int field);

    std::unique_ptr<TListener> FListener;
    QString FSort;
    QString FLastStatement;
    int FQuiet = 0; // inside an operation of this class that notifies by itself
    int FRankedField = -1;
    QString FRankedLocale;   // the collation the ranks were made with
    std::vector<int> FRanks; // by fetched row
};
