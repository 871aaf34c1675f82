#pragma once

class QString;
class TDbAccess;
class TGridSource;

// What the grid result set needs of the control that shows it; the address grid implements it.
class TGridView
{
public:
    virtual ~TGridView() = default;
    virtual void SetDataSource(TGridSource* source) = 0;
    // Fits every column to its title and the first rows' values.
    virtual void AutoFitColumns() = 0;
};

// Closes the grid query of the database and returns the model that binds it to a grid.
TGridSource* GridDataSource(TDbAccess& db);
// Binds the grid to the grid query, runs a statement into it and, when autoFit, fits the columns
// to the rows. A failing statement leaves the grid bound to no rows, unfitted.
void OpenGrid(TDbAccess& db, const QString& sql, TGridView& grid, bool autoFit);
