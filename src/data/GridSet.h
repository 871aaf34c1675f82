#pragma once

#include "data/ResultSet.h"

// The rows the address grid shows.
class TGridSet final : public TResultSet
{};
