#pragma once

#include <QtGlobal>

// The number a new group gets when the largest number in use is the given one; throws the
// refusal when none is left in the 32-bit range of the table's numbers.
qint32 NextGroupNumber(qint64 largest);
