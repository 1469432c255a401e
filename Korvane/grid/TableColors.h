#pragma once
// The user's table colours as every grid applies them. The main frame owns them (view settings
// "BClrCustom", "ClrFontColor", "ClrEvenColor", "ClrOddColor") and installs itself as their source;
// grids and controls ask here, so that none of them needs to know the frame.
#include "platform/ColorRef.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <functional>

struct TableColors
{
    BOOL bCustom = FALSE;               // the tables use the colours below
    COLORREF clrFont = 0xFFFFFFFFu;     // text
    COLORREF clrEven = 0xFFFFFFFFu;     // background of even rows
    COLORREF clrOdd = 0xFFFFFFFFu;      // background of odd rows
};

// Installs the source (an empty function removes it: no custom colours).
void SetTableColorsSource(std::function<TableColors()> source);
// The colours now in force; without a source, no custom colours.
TableColors CurrentTableColors();

// The registered message "WM_MSG_GRID_COLOR_CUSTOM_REFRESH": the colours changed; the frame relays
// it to every window under it, and grid pages and their owners apply the colours again.
UINT TableColorsRefreshMessage();
