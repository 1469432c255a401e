#include "Wnds/Params/ParamCompare.h"

int NormalizeCompareType(int type)
{
    return type >= kCompareDefault && type <= kCompareRecipe ? type : kCompareDefault;
}

std::optional<std::int32_t> CompareReference(int type, const CDBDataParameter &param,
                                             const QMap<QString, std::int32_t> &driveValues,
                                             const QMap<QString, std::int32_t> &recipeValues)
{
    std::optional<std::int32_t> reference;
    switch (NormalizeCompareType(type)) {
    case kCompareDefault:
        reference = param.iDefaultValue;
        break;
    case kCompareDrive:
        if (const auto it = driveValues.constFind(param.sNum); it != driveValues.cend())
            reference = *it;
        break;
    default:
        if (const auto it = recipeValues.constFind(param.sNum); it != recipeValues.cend())
            reference = *it;
        break;
    }
    if (reference && *reference == param.iCurValue)
        return std::nullopt;
    return reference;
}
