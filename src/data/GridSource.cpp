#include "data/GridSource.h"

#include "data/GridSet.h"

TGridSource::TGridSource(TGridSet& set, QObject* parent) : QAbstractTableModel(parent), FSet(set) {}

int TGridSource::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FSet.RecordCount();
}

int TGridSource::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FSet.FieldCount();
}

QVariant TGridSource::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    return FSet.Value(index.row(), index.column());
}
