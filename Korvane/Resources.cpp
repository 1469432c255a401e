#include "Resources.h"

#include <QtGlobal>

#include <mutex>

// Outside any namespace, as the resource initialiser wants.
static void InitResourcesOnce()
{
    Q_INIT_RESOURCE(Korvane);
}

void InitKorvaneResources()
{
    static std::once_flag once;
    std::call_once(once, InitResourcesOnce);
}
