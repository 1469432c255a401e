#pragma once
// What the parameter page shows while it compares the workspace values with a reference:
// 0 the factory defaults, 1 the values read from the drive, 2 the values of a recipe file.
#include "database/DBDataParameter.h"

#include <QMap>
#include <QString>

#include <cstdint>
#include <optional>

enum ParamCompareType { kCompareDefault = 0, kCompareDrive = 1, kCompareRecipe = 2 };

// A remembered or handed-in type outside 0..2 counts as the factory defaults.
int NormalizeCompareType(int type);

// The reference of the parameter when its row is shown while comparing: the row shows only
// when there is a reference and it differs from the current value.
std::optional<std::int32_t> CompareReference(int type, const CDBDataParameter &param,
                                             const QMap<QString, std::int32_t> &driveValues,
                                             const QMap<QString, std::int32_t> &recipeValues);
