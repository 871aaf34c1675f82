#include "controls/GridView.h"

#include "controls/GridSource.h"
#include "data/DbAccess.h"
#include "data/GridSet.h"

TGridSource* GridDataSource(TDbAccess& db)
{
    db.GridSet().Close();
    return &TGridSource::Of(db.GridSet());
}

void OpenGrid(TDbAccess& db, const QString& sql, TGridView& grid, bool autoFit)
{
    grid.SetDataSource(GridDataSource(db));
    db.OpenGrid(sql);
    if (autoFit)
        grid.AutoFitColumns();
}
