#include "platform/NumericLocale.h"

#include <clocale>

namespace platform {

void KeepCNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}

}
