#include "grid/TableColors.h"

#include "platform/Messages.h"

#include <mutex>

namespace {

std::mutex g_mutex;
std::function<TableColors()> g_source;

}

void SetTableColorsSource(std::function<TableColors()> source)
{
    std::lock_guard lock(g_mutex);
    g_source = std::move(source);
}

TableColors CurrentTableColors()
{
    std::function<TableColors()> source;
    {
        std::lock_guard lock(g_mutex);
        source = g_source;
    }
    return source ? source() : TableColors{};
}

UINT TableColorsRefreshMessage()
{
    static const UINT msg = platform::RegisterWindowMessage(QStringLiteral("WM_MSG_GRID_COLOR_CUSTOM_REFRESH"));
    return msg;
}
