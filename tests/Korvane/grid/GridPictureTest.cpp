#include "GridDemo.h"

#include "platform/ControlId.h"

#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

namespace {

// Renders the demo grid and keeps the picture beside the test for a look by eye.
TEST(GridPicture, EveryCellKindFrozenBandsSumRowAndCheckBoxes)
{
    QWidget window;
    window.resize(1280, 520);
    auto *grid = new CQLBCGGridCtrl(&window);
    grid->setGeometry(window.rect());
    griddemo::Build(*grid, griddemo::kKinds);
    for (int r = 0; r < griddemo::kKinds; r += 3)
        grid->GetRow(r)->SetCheck(true);
    grid->SetCurSel(platform::GridItemID{4, 2});
    window.show();
    QApplication::processEvents();

    const QImage image = window.grab().toImage();
    ASSERT_FALSE(image.isNull());
    const QString path = QDir::current().absoluteFilePath(QStringLiteral("grid_demo.png"));
    EXPECT_TRUE(image.save(path));

    // The percent bar of the percent row paints its green.
    const int percentRow = 6;
    ASSERT_EQ(grid->GetRow(percentRow)->GetItem(2)->FormatItem(), "6%");
    auto *kindRow12 = grid->GetRow(12);
    ASSERT_NE(kindRow12, nullptr);
    const QRect ball = grid->GetItemRect(platform::GridItemID{5, 2});
    ASSERT_FALSE(ball.isEmpty());
    const QColor left = image.pixelColor(ball.left() + 6, ball.center().y());
    EXPECT_EQ(left, QColor(0x20, 0xA0, 0x40));
    // The right-frozen column stands at the right edge, the left-frozen one at the left.
    EXPECT_GT(grid->GetItemRect(platform::GridItemID{0, 11}).left(), 1100);
    EXPECT_LT(grid->GetItemRect(platform::GridItemID{0, 0}).left(), 80);
    EXPECT_FALSE(grid->GetSumCellRect(3).isEmpty());
}

}
