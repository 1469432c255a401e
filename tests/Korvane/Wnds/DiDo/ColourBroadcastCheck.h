#pragma once
// Both state grids of a DI/DO page follow the user's table colours when the frame relays the
// colour change; switched off, the theme's colours come back.
#include "grid/TableColors.h"
#include "platform/Messages.h"
#include "platform/grid/Grid.h"

#include <gtest/gtest.h>

template <class Page>
void ExpectBothGridsFollowTheColourBroadcast(Page &page)
{
    TableColors colours{TRUE, RGB(1, 2, 3), RGB(200, 220, 240), RGB(10, 20, 30)};
    SetTableColorsSource([&] { return colours; });
    platform::SendMessage(platform::WindowRef(&page), TableColorsRefreshMessage(), 0, 0);
    for (bool isDo : {false, true}) {
        EXPECT_EQ(page.Grid(isDo)->GetColorTheme().text, RGB(1, 2, 3)) << isDo;
        EXPECT_EQ(page.Grid(isDo)->GetColorTheme().evenBack, RGB(200, 220, 240)) << isDo;
    }
    colours.bCustom = FALSE;
    platform::SendMessage(platform::WindowRef(&page), TableColorsRefreshMessage(), 0, 0);
    EXPECT_EQ(page.Grid(true)->GetColorTheme(), platform::GridCtrl::ColorTheme{});
    SetTableColorsSource({});
}
