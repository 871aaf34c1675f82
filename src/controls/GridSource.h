#pragma once

#include "data/GridSet.h"

#include <QAbstractTableModel>
#include <QStringList>

// The Qt item model over the grid result set: what binds its rows to the grid. One column per
// field, titled by the field name until the view changes the title; the model is reset whenever
// the set is opened, re-read, sorted or closed. The set's current row is the grid's current row.
// A set has one model, which the set keeps: every grid over it shares it.
class TGridSource final : public QAbstractTableModel, public TGridSet::TListener
{
    Q_OBJECT

public:
    ~TGridSource() override;

    // The model of a set, made at the first call.
    static TGridSource& Of(TGridSet& set);

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
    explicit TGridSource(TGridSet& set);

    void GridSetAboutToChange() override;
    void GridSetChanged(bool fieldsRebuilt) override;
    void GridSetCurrentMoved() override;

    TGridSet& FSet;
    QStringList FCaptions;
    QStringList FCaptionFields; // the fields the captions were made for
};
