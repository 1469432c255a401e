// The seven-segment indicator: character patterns, the choice of size and scale for a cell,
// and which character lands in which cell with which colour.
#include "controls/MyNumericIndicatorCtrl.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(SevenSegmentPattern, TableCharactersAndCaseAndMissingOnes)
{
    const struct
    {
        char ch;
        const char *pattern;
    } cases[] = {
        {'-', "0000001"}, {'0', "1111110"}, {'1', "0011000"}, {'2', "0110111"}, {'3', "0111101"},
        {'4', "1011001"}, {'5', "1101101"}, {'6', "1101111"}, {'7', "0111000"}, {'8', "1111111"},
        {'9', "1111101"}, {'A', "1111011"}, {'b', "1001111"}, {'C', "1100110"}, {'d', "0011111"},
        {'E', "1100111"}, {'f', "1100011"}, {'n', "0001011"}, {'o', "0001111"}, {'r', "0000011"},
        {'U', "0001110"}, {'y', "1011101"},
        // Everything else has no pattern and leaves its cell empty.
        {' ', ""}, {'G', ""}, {'g', ""}, {'.', ""}, {'+', ""}, {'H', ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CMyDigit::Pattern(QLatin1Char(c.ch)), QLatin1String(c.pattern)) << c.ch;
    for (char ch : {'a', 'b', 'c', 'd', 'e', 'f', 'n', 'o', 'r', 'u', 'y'})
        EXPECT_EQ(CMyDigit::Pattern(QLatin1Char(ch)), CMyDigit::Pattern(QChar(ch).toUpper())) << ch;
}

TEST(SevenSegmentGeometry, BoundsOfEverySizeMatchTheGlyphExtents)
{
    CMyDigit digit;
    digit.BuildSegments(0.0);
    const double widths[] = {5, 10, 15, 25, 35};
    const double heights[] = {10, 18, 27, 45, 63};
    for (auto g : {IndicatorGraphics::Pixel, IndicatorGraphics::Smooth}) {
        for (int size = 0; size < 5; ++size) {
            const auto &d = digit.Digit(g, size);
            EXPECT_DOUBLE_EQ(d.right - d.left, widths[size]) << int(g) << " size " << size;
            EXPECT_DOUBLE_EQ(d.bottom - d.top, heights[size]) << int(g) << " size " << size;
        }
    }
    EXPECT_EQ(digit.m_nCurrent, 4);
    // A slant leans the larger sizes only; the one-line smallest size stays upright.
    digit.BuildSegments(10.0);
    EXPECT_DOUBLE_EQ(digit.Digit(IndicatorGraphics::Pixel, 0).right, 5.0);
    EXPECT_GT(digit.Digit(IndicatorGraphics::Pixel, 2).right, 15.0);
}

TEST(SevenSegmentFit, SizeAndScaleForACell)
{
    const struct
    {
        const char *name;
        IndicatorGraphics graphics;
        QRectF cell;
        bool withPoint;
        int size;
        QRectF glyph;
    } cases[] = {
        // Nothing fits a 4-pixel cell: the smallest size, shrunk.
        {"4px cell", IndicatorGraphics::Pixel, QRectF(0, 0, 4, 20), false, 0, QRectF(0, 6, 4, 8)},
        {"exact 15x27", IndicatorGraphics::Pixel, QRectF(0, 0, 15, 27), false, 2, QRectF(0, 0, 15, 27)},
        // The point widens the glyph to the point box's right edge.
        {"15x27 with point", IndicatorGraphics::Pixel, QRectF(0, 0, 15, 27), true, 1, QRectF(1, 4.5, 13, 18)},
        {"20x27 with point", IndicatorGraphics::Pixel, QRectF(0, 0, 20, 27), true, 2, QRectF(0, 0, 20, 27)},
        // Middle sizes are drawn pixel for pixel even in a roomier cell, centred.
        {"roomy middle", IndicatorGraphics::Pixel, QRectF(10, 10, 30, 60), false, 3, QRectF(12.5, 17.5, 25, 45)},
        // The largest size is stretched to the cell.
        {"large", IndicatorGraphics::Pixel, QRectF(0, 0, 70, 126), false, 4, QRectF(0, 0, 70, 126)},
        {"smooth 0.75 of size 4", IndicatorGraphics::Smooth, QRectF(0, 0, 26.25, 47.25), false, 4,
         QRectF(0, 0, 26.25, 47.25)},
        {"smooth just below", IndicatorGraphics::Smooth, QRectF(0, 0, 26, 47.25), false, 3,
         QRectF(0, 0.225, 26, 46.8)},
    };
    for (const auto &c : cases) {
        CMyDigit digit;
        digit.BuildSegments(0.0);
        const QRectF glyph = digit.FitToCell(c.cell, c.graphics, c.withPoint);
        EXPECT_EQ(digit.m_nCurrent, c.size) << c.name;
        EXPECT_NEAR(glyph.left(), c.glyph.left(), 1e-9) << c.name;
        EXPECT_NEAR(glyph.top(), c.glyph.top(), 1e-9) << c.name;
        EXPECT_NEAR(glyph.width(), c.glyph.width(), 1e-9) << c.name;
        EXPECT_NEAR(glyph.height(), c.glyph.height(), 1e-9) << c.name;
    }
}

TEST(SevenSegmentFit, ScaledPointsFollowTheChosenScale)
{
    CMyDigit digit;
    digit.BuildSegments(0.0);
    digit.FitToCell(QRectF(0, 0, 70, 126), IndicatorGraphics::Pixel, false);
    const auto &top = digit.Digit(IndicatorGraphics::Pixel, 4).segments[1];
    ASSERT_EQ(top.scaled.size(), top.base.size());
    EXPECT_EQ(top.scaled[2], top.base[2] * 2.0);
    digit.FitToCell(QRectF(0, 0, 35, 63), IndicatorGraphics::Pixel, false);
    EXPECT_EQ(top.scaled[2], top.base[2]);
}

TEST(SevenSegmentDraw, CharactersWithoutPatternPaintNothing)
{
    CMyDigit digit;
    digit.BuildSegments(0.0);
    for (auto g : {IndicatorGraphics::Pixel, IndicatorGraphics::Smooth}) {
        const QRectF glyph = digit.FitToCell(QRectF(0, 0, 15, 27), g, false);
        for (char ch : {' ', 'G', '8'}) {
            QImage image(20, 30, QImage::Format_ARGB32);
            image.fill(Qt::black);
            {
                QPainter p(&image);
                digit.DrawChar(p, g, QLatin1Char(ch), glyph, Qt::red, 0.5);
            }
            bool painted = false;
            for (int y = 0; y < image.height() && !painted; ++y)
                for (int x = 0; x < image.width() && !painted; ++x)
                    painted = image.pixel(x, y) != qRgb(0, 0, 0);
            EXPECT_EQ(painted, ch == '8') << int(g) << ch;
        }
    }
}

// Records the cells the indicator hands out instead of painting them.
class RecordingImpl : public CMyNumericIndicatorImpl
{
public:
    struct Call
    {
        QChar ch;
        int index;
        int kind;
        QRectF cell;
    };
    void OnDrawChar(QPainter &, IndicatorGraphics, const QRectF &cell, QChar ch, int index, int kind) override
    {
        calls.push_back({ch, index, kind, cell});
    }
    std::vector<Call> calls;
};

std::vector<RecordingImpl::Call> Draw(RecordingImpl &impl, const QString &text)
{
    impl.SetDigitsText(text);
    impl.calls.clear();
    QImage image(200, 40, QImage::Format_ARGB32);
    QPainter p(&image);
    impl.OnDraw(p, IndicatorGraphics::Smooth, impl.m_rect, 2u);
    return impl.calls;
}

RecordingImpl &FourCells(RecordingImpl &impl, NumericIndicatorImpl::Style style, int decimals)
{
    impl.m_rect = QRectF(0, 0, 122, 40);
    impl.m_dblFrameSize = 1;
    impl.m_nCells = 4;
    impl.m_style = style;
    impl.m_nDecimals = decimals;
    impl.m_bDrawDecimalPoint = true;
    impl.m_dblSeparatorWidth = 0;
    return impl;
}

TEST(SevenSegmentIndicator, DigitalPointSharesTheCellOfTheDigitToItsLeft)
{
    RecordingImpl impl;
    const auto calls = Draw(FourCells(impl, NumericIndicatorImpl::Digital, 1), QStringLiteral("12.5"));
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].ch, QLatin1Char('5'));
    EXPECT_EQ(calls[0].kind, 1);
    EXPECT_EQ(calls[1].ch, QLatin1Char('.'));
    EXPECT_EQ(calls[1].kind, 2);
    EXPECT_EQ(calls[2].ch, QLatin1Char('2'));
    EXPECT_EQ(calls[2].kind, 0);
    EXPECT_EQ(calls[1].index, calls[2].index);
    EXPECT_EQ(calls[1].cell, calls[2].cell);
    EXPECT_EQ(calls[3].ch, QLatin1Char('1'));
    EXPECT_EQ(calls[3].index, 2);  // the leftmost cell (3) stays empty
    EXPECT_LT(calls[3].cell.right(), calls[2].cell.left());
    EXPECT_LT(calls[2].cell.right(), calls[0].cell.left());
}

TEST(SevenSegmentIndicator, ClassicPointTakesACellOfItsOwn)
{
    RecordingImpl impl;
    const auto calls = Draw(FourCells(impl, NumericIndicatorImpl::Classic, 1), QStringLiteral("12.5"));
    ASSERT_EQ(calls.size(), 4u);
    const char order[] = {'5', '.', '2', '1'};
    const int kinds[] = {1, 2, 0, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(calls[size_t(i)].ch, QLatin1Char(order[i]));
        EXPECT_EQ(calls[size_t(i)].index, i);
        EXPECT_EQ(calls[size_t(i)].kind, kinds[i]);
    }
    // Equal cells over the width less the frame, the rightmost ending at the frame.
    EXPECT_DOUBLE_EQ(calls[0].cell.right(), 121.0);
    EXPECT_DOUBLE_EQ(calls[0].cell.width(), 30.0);
    EXPECT_DOUBLE_EQ(calls[3].cell.left(), 1.0);
}

TEST(SevenSegmentIndicator, TooLongATextShowsErrorInTheCellsThereAre)
{
    for (auto style : {NumericIndicatorImpl::Digital, NumericIndicatorImpl::Classic}) {
        RecordingImpl impl;
        const auto calls = Draw(FourCells(impl, style, 0), QStringLiteral("12345"));
        ASSERT_EQ(calls.size(), 4u) << style;
        const char visible[] = {'r', 'o', 'r', 'r'};  // right to left: "Error" less its E
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(calls[size_t(i)].ch, QLatin1Char(visible[i])) << style;
            EXPECT_EQ(calls[size_t(i)].kind, 4) << style;
        }
        EXPECT_EQ(impl.m_arrChars, (QList<QString>{"E", "r", "r", "o", "r"})) << style;
    }
    // Signs of the replaced text get no sign colour; a text that fits does.
    RecordingImpl impl;
    auto calls = Draw(FourCells(impl, NumericIndicatorImpl::Digital, 0), QStringLiteral("-1"));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].kind, 3);
    // The digital point does not count against the cells.
    calls = Draw(FourCells(impl, NumericIndicatorImpl::Digital, 2), QStringLiteral("12.34"));
    EXPECT_EQ(calls.size(), 5u);
    EXPECT_NE(calls.front().kind, 4);
}

TEST(SevenSegmentIndicator, NothingIsDrawnWithoutContentPassCellsOrArea)
{
    RecordingImpl impl;
    FourCells(impl, NumericIndicatorImpl::Digital, 0);
    impl.SetDigitsText(QStringLiteral("88"));
    QImage image(200, 40, QImage::Format_ARGB32);
    QPainter p(&image);
    impl.OnDraw(p, IndicatorGraphics::Smooth, impl.m_rect, 1u);
    impl.m_nCells = 0;
    impl.OnDraw(p, IndicatorGraphics::Smooth, impl.m_rect, 2u);
    EXPECT_TRUE(impl.calls.empty());
}

}
