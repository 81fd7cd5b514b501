#pragma once

#include <QtGlobal>

/// The rule by which the progress bar of an import or export (100 steps) advances: at every
/// item of a list below 100 items, otherwise at every (count / 100)-th item, item n counting
/// from 1.
inline bool progressStepAt(qint64 n, qint64 count)
{
    return count < 100 || n % (count / 100) == 0;
}
