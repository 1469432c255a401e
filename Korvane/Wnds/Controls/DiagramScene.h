#pragma once
// A small block-diagram layer on QGraphicsScene: shapes with brushes, a body kind and text
// lines, free connectors with bend points and an arrowhead, and a scene that hands out item ids
// and owns what is added to it. The control-loop pages build their diagrams from these.
//
// Geometry is in diagram units (one unit is one pixel at scale 1), origin top left, y down.
// Every shape item sits at scene position (0, 0) and paints its own absolute rectangle, so
// scene coordinates and diagram coordinates are the same.
#include <QColor>
#include <QFont>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

class DiagramScene;

// Id of an item or connector in its scene; 0 is no item. The first item added to an empty
// scene gets 1.
using DiagramItemId = int;

// Connection ports of an item: the midpoints of its left, right, top and bottom edges.
constexpr int kPortLeft = 10;
constexpr int kPortRight = 11;
constexpr int kPortTop = 12;
constexpr int kPortBottom = 15;

// Horizontal and vertical text alignment.
constexpr int kAlignLeading = 0;
constexpr int kAlignTrailing = 1;
constexpr int kAlignCenter = 2;

struct DiagramTextFormat
{
    QString family;       // empty: the application's font family
    double size = 0.0;    // pixels; 0: the default size
    int weight = 400;     // 100..900
    int hAlign = kAlignCenter;
    int vAlign = kAlignCenter;

    bool IsEmpty() const { return family.isEmpty() || size == 0.0; }
    // The font this format stands for, defaults filled in.
    QFont ToFont() const;
};

// One text line of a shape.
class DiagramText
{
public:
    DiagramText(const QString &text, const QColor &colour) : m_text(text), m_colour(colour) {}

    const QString &Text() const { return m_text; }
    const QColor &Colour() const { return m_colour; }
    const DiagramTextFormat &GetTextFormat() const { return m_format; }
    void SetTextFormat(const DiagramTextFormat &f) { m_format = f; }
    // The size the text needs with its font (lines stacked); what was last stored with SetSize.
    QSizeF Measure() const;
    QSizeF GetSize() const { return m_size; }
    void SetSize(const QSizeF &s) { m_size = s; }
    // Draws the text in the rectangle with its alignment, clipped to `clip`.
    void Draw(QPainter *p, const QRectF &rect, const QRectF &clip) const;
    // Breaks each line wider than `width` at its spaces (a line's leading spaces start every
    // piece); a word wider than that stays whole.
    void WrapTo(double width);

private:
    QString m_text;
    QColor m_colour;
    DiagramTextFormat m_format;
    QSizeF m_size;
};

// A shape: a body of a kind (0 rounded box, 1 ellipse, 3 box with round ends, 5 plain box;
// others have no body), fill, outline and shadow brushes, and text lines drawn in its
// rectangle.
class DiagramShape : public QGraphicsItem
{
public:
    enum Kind { kBox = 0, kEllipse = 1, kRoundEnds = 3, kRect = 5 };

    DiagramShape();
    DiagramShape(const QRectF &rect, const QColor &fill, const QColor &outline, int kind,
                 const QColor &shadow);
    ~DiagramShape() override;

    QRectF GetRect() const { return m_rect; }
    void SetRect(const QRectF &rect);
    int Kind() const { return m_nKind; }
    QColor FillColour() const { return m_fill; }
    QColor OutlineColour() const { return m_outline; }
    QColor ShadowColour() const { return m_shadow; }

    void AddTextData(const QString &text, const QColor &colour);
    int GetTextCount() const { return static_cast<int>(m_texts.size()); }
    DiagramText *GetTextData(int i);
    const DiagramText *GetTextData(int i) const;
    // Every text that does not fit the shape broken at its spaces (DiagramText::WrapTo), and
    // made smaller when that is not enough.
    void WrapTextData();

    // The numeric id of the shape (-1 until set); distinct from the item id of its scene.
    void SetID(int id) { m_nID = id; }
    int GetID() const { return m_nID; }
    DiagramItemId GetItemID() const { return m_itemId; }

    // Midpoint of the edge named by a port (kPortLeft ...); the rectangle's centre otherwise.
    QPointF UseConnectionPort(int port) const;

    // Scale ratio of the shape's lengths (margins, radii, shadow, line width).
    void SetScaleRatio(double x, double y);
    double ScaleX() const { return m_scaleX; }
    double ScaleY() const { return m_scaleY; }
    // One factor: x when x equals y, else their mean.
    double Scale() const;
    double LineThickness() const { return m_dblLineThickness; }

    virtual void SetDirty(bool dirty, bool redraw);
    bool IsDirty() const { return m_bDirty; }

    DiagramScene *Container() const;

    QRectF boundingRect() const override;
    void paint(QPainter *p, const QStyleOptionGraphicsItem *opt, QWidget *w) override;

protected:
    friend class DiagramScene;
    // Paints the whole shape; the default draws shadow, body and centred text lines.
    virtual void OnDraw(QPainter *p, const QRectF &clip);
    virtual void OnRectChanged(const QRectF &oldRect) { Q_UNUSED(oldRect); }
    virtual void OnAddToContainer(DiagramScene *scene) { Q_UNUSED(scene); }
    // Shadow (when depth > 0, moved by depth x scale), fill and outline of the body kind.
    void DrawBody(QPainter *p, double shadowDepth) const;
    // Every text line centred in the whole rectangle (plain shapes).
    virtual void DrawTextData(QPainter *p, const QRectF &clip);

    QVector<DiagramText> m_texts;
    double m_dblLineThickness;

private:
    QRectF m_rect;
    QColor m_fill{Qt::white};
    QColor m_outline{Qt::black};
    QColor m_shadow{Qt::white};
    int m_nKind = kBox;
    int m_nID = -1;
    DiagramItemId m_itemId = 0;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    bool m_bDirty = true;
};

// A connector: a polyline from its start through its bend points to its end, with an arrowhead
// at the end. Its points are free: it is glued to no item.
class DiagramConnector : public QGraphicsItem
{
public:
    DiagramConnector();

    void Connect(const QPointF &start, const QPointF &end);
    // Inserts a point before position `index` of the point list (0 is the start).
    void InsertPoint(int index, const QPointF &pt);
    void SetEndArrow(int shape) { m_nEndArrow = shape; }
    int EndArrow() const { return m_nEndArrow; }
    void SetCurveType(int type) { m_nCurveType = type; }
    int CurveType() const { return m_nCurveType; }
    const QVector<QPointF> &Points() const { return m_points; }
    DiagramItemId GetItemID() const { return m_itemId; }

    QRectF boundingRect() const override;
    void paint(QPainter *p, const QStyleOptionGraphicsItem *opt, QWidget *w) override;

private:
    friend class DiagramScene;
    QVector<QPointF> m_points;
    int m_nEndArrow = 0;
    int m_nCurveType = -1;  // -1: the default (straight segments as well)
    DiagramItemId m_itemId = 0;
};

// The diagram: shapes in the order they were added, connectors beside them. It owns and
// deletes everything added to it.
class DiagramScene : public QGraphicsScene
{
    Q_OBJECT
public:
    explicit DiagramScene(QObject *parent = nullptr);
    ~DiagramScene() override;

    // The window that shows the scene and hosts its controls (null while there is none).
    void SetOwner(QWidget *owner) { m_pOwner = owner; }
    QWidget *Owner() const { return m_pOwner; }

    // Adds a shape and answers its new item id. The scene always owns what is added: the flag
    // is kept for the callers' sake and must be true.
    DiagramItemId AddItem(DiagramShape *shape, bool autoDestroy);
    DiagramItemId AddConnector(DiagramConnector *connector, bool autoDestroy);

    int GetCount() const { return static_cast<int>(m_items.size()); }
    DiagramShape *GetAt(int i) const;
    DiagramShape *GetItem(DiagramItemId id) const;
    int GetConnectorCount() const { return static_cast<int>(m_connectors.size()); }
    DiagramConnector *GetConnectorAt(int i) const;
    // Removes and deletes the item; false when there is none of that id.
    bool Remove(DiagramItemId id, bool redraw);
    void RemoveAllConnectors(bool redraw);

    void SetFillBrush(const QColor &c);
    void SetOutlineBrush(const QColor &c) { m_outline = c; }
    QColor OutlineBrush() const { return m_outline; }
    // Without edit mode the user can neither select nor move items.
    void EnableEditMode(bool enable) { m_bEditMode = enable; }
    bool IsEditMode() const { return m_bEditMode; }

private:
    DiagramItemId NextId();

    QWidget *m_pOwner = nullptr;
    QVector<DiagramShape *> m_items;
    QVector<DiagramConnector *> m_connectors;
    DiagramItemId m_lastId = 0;
    QColor m_outline{Qt::gray};
    bool m_bEditMode = false;
};
