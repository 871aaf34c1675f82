#pragma once

#include "data/GridSet.h"

#include <QAbstractTableModel>
#include <QStringList>

// The Qt item model over the grid result set: what binds its rows to the grid. One column per
// field, titled by the field name until the view changes the title; the model is reset whenever
// the set is opened, re-read, sorted or closed. The set's current row is the grid's current row.
class TGridSource final : public QAbstractTableModel, private TGridSet::TListener
{
    Q_OBJECT

public:
    explicit TGridSource(TGridSet& set, QObject* parent = nullptr);
    ~TGridSource() override;

    TGridSet& GridSet() const { return FSet; }
    // The field behind a column (a logical index), empty when there is none.
    QString FieldName(int column) const;
    // The column of a field (letter case ignored), -1 when there is none.
    int ColumnOf(const QString& fieldName) const;

    // The current row, -1 when there is none.
    int CurrentRow() const;
    void SetCurrentRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Column titles can be changed (the grid marks the sort column); they are the field names
    // again when the set is opened with a new statement.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The text a cell shows: the value as text, line breaks shown as blanks so that every row
    // stays one line high.
    static QString DisplayText(const QVariant& value);

Q_SIGNALS:
    void CurrentRowChanged(int row);

private:
    void GridSetAboutToChange() override;
    void GridSetChanged(bool fieldsRebuilt) override;
    void GridSetCurrentMoved() override;

    TGridSet& FSet;
    QStringList FCaptions;
    QStringList FCaptionFields; // the fields the captions were made for
};
