#pragma once

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
