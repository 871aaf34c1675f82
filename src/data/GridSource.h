#pragma once

#include <QAbstractTableModel>

class TGridSet;

// The Qt item model over the grid result set: what binds the rows to the grid.
class TGridSource final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TGridSource(TGridSet& set, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    TGridSet& FSet;
};
