// The theme's background cache and its toolbox colours.
#include "CustomTheme.h"
#include "ToolBoxEx.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage Picture()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 200));
    return image;
}

TEST(ThemeCache, MadeAgainOnlyWhenDepthOrSizeChange)
{
    CCustomTheme theme(Picture());
    QImage deep(1, 1, QImage::Format_RGB32);
    QImage shallow(1, 1, QImage::Format_RGB16);
    const struct
    {
        const char *step;
        const QImage *device;
        QSize size;
        int contexts, bitmaps;
        bool valid;
    } steps[] = {
        {"first size", &deep, QSize(300, 200), 1, 1, true},
        {"same size keeps the bitmap", &deep, QSize(300, 200), 1, 1, true},
        {"new size, new bitmap", &deep, QSize(320, 200), 1, 2, true},
        {"no device does nothing", nullptr, QSize(10, 10), 1, 2, true},
        {"other depth, new context and bitmap", &shallow, QSize(320, 200), 2, 3, true},
    };
    for (const auto &s : steps) {
        theme.PrepareCache(s.device, s.size);
        EXPECT_EQ(theme.m_nContextsMade, s.contexts) << s.step;
        EXPECT_EQ(theme.m_nBitmapsMade, s.bitmaps) << s.step;
        EXPECT_EQ(theme.m_bCacheValid, s.valid) << s.step;
        if (s.device) {
            EXPECT_EQ(theme.m_sizeCache, s.size) << s.step;
        }
        if (s.device == &deep) {
            EXPECT_EQ(theme.m_bmpCache.pixelColor(100, 100), QColor(10, 20, 200)) << s.step;
        }
    }
    EXPECT_EQ(theme.m_bmpCache.depth(), 16);
}

TEST(ThemeCache, WithoutPictureTheCacheStaysInvalid)
{
    CCustomTheme theme{QImage()};
    QImage device(1, 1, QImage::Format_RGB32);
    theme.PrepareCache(&device, QSize(50, 50));
    EXPECT_FALSE(theme.m_bCacheValid);
    EXPECT_EQ(theme.m_nBitmapsMade, 1);
}

TEST(ThemeColours, ToolboxAndToolbar)
{
    CCustomTheme theme(Picture());
    QImage image(10, 10, QImage::Format_RGB32);
    const struct
    {
        int depth;
        bool checked, hot;
        bool erased;
        QColor fill;
    } cases[] = {
        {32, true, false, true, QColor(210, 1, 59)},
        {32, false, true, true, QColor(29, 58, 88)},
        {32, true, true, true, QColor(210, 1, 59)},
        {32, false, false, false, QColor(0, 0, 0)},
    };
    for (const auto &c : cases) {
        theme.m_nScreenDepth = c.depth;
        image.fill(Qt::black);
        QPainter p(&image);
        EXPECT_EQ(theme.OnEraseToolBoxButton(p, image.rect(), c.checked, c.hot), c.erased);
        p.end();
        EXPECT_EQ(image.pixelColor(5, 5), c.fill) << c.checked << c.hot;
    }
    // A screen of 8 bits or less keeps the plain look.
    theme.m_nScreenDepth = 8;
    image.fill(Qt::black);
    QPainter p(&image);
    EXPECT_TRUE(theme.OnEraseToolBoxButton(p, image.rect(), true, false));
    p.end();
    EXPECT_NE(image.pixelColor(5, 5), QColor(210, 1, 59));

    EXPECT_EQ(theme.GetToolbarButtonTextColor(true, CCustomTheme::ButtonState::Pressed), QColor(220, 220, 220));
    EXPECT_EQ(theme.GetToolbarButtonTextColor(true, CCustomTheme::ButtonState::Highlighted), QColor(220, 220, 220));
    EXPECT_NE(theme.GetToolbarButtonTextColor(false, CCustomTheme::ButtonState::Regular), QColor(220, 220, 220));
}

}
