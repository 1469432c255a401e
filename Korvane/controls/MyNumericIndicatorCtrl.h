#pragma once
// A numeric read-out drawn as seven-segment digits (the toolbar's drive state and alarm code).
//
// The text is a string of characters, not a number; in the digital style each character is
// drawn from our own segment geometry in five sizes and two renderings (pixel-exact and
// anti-aliased), and a text that needs more cells than there are shows "Error".
#include <QColor>
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <array>

class QPainter;

// The two kinds of graphics manager an indicator is drawn with: pixel for pixel (the pixel
// segment set, no anti-aliasing) or anti-aliased (the smooth set).
enum class IndicatorGraphics { Pixel = 1, Smooth = 2 };

class CMyDigit
{
public:
    struct XSegment
    {
        QList<QPointF> base;    // design units, y downwards, origin at the glyph's top-left
        QList<QPointF> scaled;  // base times the size's current scale
    };
    struct XDigit
    {
        std::array<XSegment, 7> segments;
        double pointLeft = 0, pointRight = 0, pointTop = 0, pointBottom = 0;
        double left = 0, right = 0, top = 0, bottom = 0;
        double scale = 1.0;
    };

    CMyDigit() = default;
    virtual ~CMyDigit() = default;

    // Fills both sets from the geometry table, slants them by `slant` degrees (clamped to
    // -75..75; the one-line smallest size never slants) and takes their bounds.
    virtual void BuildSegments(double slant);

    // Chooses the largest size that fits the cell without shrinking below the threshold (1.0
    // pixel-exact, 0.75 smooth) and its scale; answers the glyph rectangle centred in the cell.
    QRectF FitToCell(const QRectF &cell, IndicatorGraphics graphics, bool withPoint);
    // The lit segments of `ch` (and, when `unlitOpacity` is not 0 on the smooth set, the dark
    // ones faintly); a character without a pattern draws nothing.
    void DrawChar(QPainter &painter, IndicatorGraphics graphics, QChar ch, const QRectF &glyph,
                  const QColor &brush, double unlitOpacity);
    // The decimal point: a square at the glyph rectangle's bottom-right corner.
    void DrawPoint(QPainter &painter, IndicatorGraphics graphics, const QRectF &glyph, const QColor &brush);

    // Seven '0'/'1' characters, segment i lit when character i is '1'; empty when `ch` has no
    // pattern. Segments: 0 upper-left, 1 top, 2 upper-right, 3 lower-right, 4 bottom,
    // 5 lower-left, 6 middle.
    static QString Pattern(QChar ch);

    const XDigit &Digit(IndicatorGraphics graphics, int size) const
    {
        return Set(graphics)[size_t(size)];
    }

    int m_nCurrent = 4;

private:
    std::array<XDigit, 5> &Set(IndicatorGraphics g) { return g == IndicatorGraphics::Pixel ? m_pixel : m_smooth; }
    const std::array<XDigit, 5> &Set(IndicatorGraphics g) const
    {
        return g == IndicatorGraphics::Pixel ? m_pixel : m_smooth;
    }
    static double GlyphWidth(const XDigit &d, bool withPoint);

    std::array<XDigit, 5> m_pixel;
    std::array<XDigit, 5> m_smooth;
};

// The settings, cell and separator drawing and colour set every numeric indicator shares.
class NumericIndicatorImpl
{
public:
    enum Style { Classic = 0, Digital = 1 };

    virtual ~NumericIndicatorImpl() = default;

    // Draws the indicator into m_rect; only when `flags` has the value 2 (the content pass).
    virtual void OnDraw(QPainter &painter, IndicatorGraphics graphics, const QRectF &clip, unsigned flags) = 0;
    // Draws one character into its cell; `kind` chooses the colour: 0 digit, 1 decimal
    // digit, 2 decimal point, 3 sign, anything else digit.
    virtual void OnDrawChar(QPainter &painter, IndicatorGraphics graphics, const QRectF &cell, QChar ch,
                            int index, int kind);

    void DrawSeparator(QPainter &painter, const QRectF &strip) const;
    void DrawFrame(QPainter &painter, const QRectF &rect) const;
    const QColor &BrushOfKind(int kind) const;

    QRectF m_rect;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    Style m_style = Classic;
    int m_nCells = 7;
    int m_nDecimals = 0;
    double m_dblSeparatorWidth = 1.0;
    bool m_bDrawDecimalPoint = false;
    bool m_bDrawLeadingZeros = false;
    double m_dblFrameSize = 1.0;
    double m_dblOpacity = 1.0;
    QFont m_textFont;
    QColor m_brFill = QColor(16, 16, 16);
    QColor m_brOutline = QColor(80, 80, 80);
    QColor m_brSeparator = QColor(48, 48, 48);
    QColor m_brDigit = QColor(255, 64, 48);
    QColor m_brDecimal = QColor(255, 64, 48);
    QColor m_brSign = QColor(255, 64, 48);
    QColor m_brDot = QColor(255, 64, 48);
};

class CMyNumericIndicatorImpl : public NumericIndicatorImpl
{
public:
    CMyNumericIndicatorImpl();
    ~CMyNumericIndicatorImpl() override;
    CMyNumericIndicatorImpl(const CMyNumericIndicatorImpl &) = delete;
    CMyNumericIndicatorImpl &operator=(const CMyNumericIndicatorImpl &) = delete;

    // One entry per character of `text`, unfiltered; the caller redraws.
    void SetDigitsText(const QString &text);
    // The text format from the application font, centred, and a new digit geometry.
    void UpdateTextFormat();

    void OnDraw(QPainter &painter, IndicatorGraphics graphics, const QRectF &clip, unsigned flags) override;
    void OnDrawChar(QPainter &painter, IndicatorGraphics graphics, const QRectF &cell, QChar ch, int index,
                    int kind) override;

    QList<QString> m_arrChars;
    CMyDigit *m_pDigit = nullptr;
};

class CMyNumericIndicatorCtrl : public QWidget
{
    Q_OBJECT
public:
    explicit CMyNumericIndicatorCtrl(QWidget *parent = nullptr);
    ~CMyNumericIndicatorCtrl() override;

    CMyNumericIndicatorImpl *GetImpl() const { return m_pImpl; }

    IndicatorGraphics m_graphics = IndicatorGraphics::Smooth;

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    CMyNumericIndicatorImpl *m_pImpl;
};
