#include "DiagramScene.h"

#include "DiagramStyle.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>

using namespace diagram_style;

// ---- text ---------------------------------------------------------------------------------

QFont DiagramTextFormat::ToFont() const
{
    QFont f = QApplication::font();
    if (!family.isEmpty())
        f.setFamily(family);
    f.setPixelSize(size > 0.0 ? qRound(size) : kBlockFontPixelSize);
    f.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    return f;
}

QSizeF DiagramText::Measure() const
{
    const QFontMetricsF fm(m_format.ToFont());
    const QStringList lines = m_text.split(u'\n');
    double width = 0.0;
    for (const QString &l : lines)
        width = std::max(width, fm.horizontalAdvance(l));
    return QSizeF(width, fm.lineSpacing() * lines.size());
}

void DiagramText::Draw(QPainter *p, const QRectF &rect, const QRectF &clip) const
{
    if (m_text.isEmpty())
        return;
    p->save();
    p->setClipRect(clip, Qt::IntersectClip);
    p->setFont(m_format.ToFont());
    p->setPen(m_colour);
    int flags = 0;
    flags |= m_format.hAlign == kAlignLeading ? Qt::AlignLeft
             : m_format.hAlign == kAlignTrailing ? Qt::AlignRight
                                                : Qt::AlignHCenter;
    flags |= m_format.vAlign == kAlignLeading ? Qt::AlignTop
             : m_format.vAlign == kAlignTrailing ? Qt::AlignBottom
                                                : Qt::AlignVCenter;
    p->drawText(rect, flags, m_text);
    p->restore();
}

void DiagramText::WrapTo(double width)
{
    const QFontMetricsF fm(m_format.ToFont());
    QStringList out;
    for (const QString &line : m_text.split(u'\n')) {
        if (fm.horizontalAdvance(line) <= width) {
            out << line;
            continue;
        }
        qsizetype lead = 0;
        while (lead < line.size() && line[lead] == u' ')
            ++lead;
        const QString prefix = line.left(lead);
        QString piece;
        for (const QString &word : line.mid(lead).split(u' ', Qt::SkipEmptyParts)) {
            const QString longer = piece.isEmpty() ? word : piece + u' ' + word;
            if (!piece.isEmpty() && fm.horizontalAdvance(prefix + longer) > width) {
                out << prefix + piece;
                piece = word;
            } else {
                piece = longer;
            }
        }
        out << prefix + piece;
    }
    m_text = out.join(u'\n');
}

// ---- shape --------------------------------------------------------------------------------

DiagramShape::DiagramShape() : m_dblLineThickness(kLineThickness)
{
    setZValue(kShapeZ);
}

DiagramShape::DiagramShape(const QRectF &rect, const QColor &fill, const QColor &outline,
                           int kind, const QColor &shadow)
    : m_dblLineThickness(kLineThickness), m_rect(rect), m_fill(fill), m_outline(outline),
      m_shadow(shadow), m_nKind(kind)
{
    setZValue(kShapeZ);
}

DiagramShape::~DiagramShape() = default;

void DiagramShape::SetRect(const QRectF &rect)
{
    if (rect == m_rect)
        return;
    const QRectF old = m_rect;
    prepareGeometryChange();
    m_rect = rect;
    OnRectChanged(old);
}

void DiagramShape::AddTextData(const QString &text, const QColor &colour)
{
    m_texts.append(DiagramText(text, colour));
    DiagramTextFormat f;
    f.weight = kBlockFontWeight;
    m_texts.last().SetTextFormat(f);
}

DiagramText *DiagramShape::GetTextData(int i)
{
    return i >= 0 && i < m_texts.size() ? &m_texts[i] : nullptr;
}

const DiagramText *DiagramShape::GetTextData(int i) const
{
    return i >= 0 && i < m_texts.size() ? &m_texts[i] : nullptr;
}

QPointF DiagramShape::UseConnectionPort(int port) const
{
    const QRectF r = m_rect;
    switch (port) {
    case kPortLeft: return QPointF(r.left(), r.center().y());
    case kPortRight: return QPointF(r.right(), r.center().y());
    case kPortTop: return QPointF(r.center().x(), r.top());
    case kPortBottom: return QPointF(r.center().x(), r.bottom());
    default: return r.center();
    }
}

void DiagramShape::SetScaleRatio(double x, double y)
{
    prepareGeometryChange();
    m_scaleX = x;
    m_scaleY = y;
    SetDirty(true, false);
}

double DiagramShape::Scale() const
{
    return m_scaleX == m_scaleY ? m_scaleX : (m_scaleX + m_scaleY) / 2.0;
}

void DiagramShape::SetDirty(bool dirty, bool redraw)
{
    m_bDirty = dirty;
    if (redraw)
        update();
}

DiagramScene *DiagramShape::Container() const
{
    return qobject_cast<DiagramScene *>(scene());
}

QRectF DiagramShape::boundingRect() const
{
    const double pad = m_dblLineThickness * Scale();
    return m_rect.adjusted(-pad, -pad, kShadowDepth * m_scaleX + pad, kShadowDepth * m_scaleY + pad);
}

void DiagramShape::paint(QPainter *p, const QStyleOptionGraphicsItem *, QWidget *)
{
    p->setRenderHint(QPainter::Antialiasing, true);
    OnDraw(p, boundingRect());
}

void DiagramShape::OnDraw(QPainter *p, const QRectF &clip)
{
    DrawBody(p, kShadowDepth);
    DrawTextData(p, clip);
    m_bDirty = false;
}

void DiagramShape::DrawBody(QPainter *p, double depth) const
{
    const double s = Scale();
    auto bodyPath = [this](const QRectF &r) {
        QPainterPath path;
        switch (m_nKind) {
        case kBox:
            path.addRoundedRect(r, kBoxCornerRadius * m_scaleX, kBoxCornerRadius * m_scaleY);
            break;
        case kEllipse:
            path.addEllipse(r);
            break;
        case kRoundEnds: {
            const double radius = std::min(r.width(), r.height()) / 2.0;
            path.addRoundedRect(r, radius, radius);
            break;
        }
        case kRect:
            path.addRect(r);
            break;
        default:
            break;
        }
        return path;
    };
    const QPainterPath body = bodyPath(m_rect);
    if (body.isEmpty())
        return;
    if (depth > 0.0)
        p->fillPath(bodyPath(m_rect.translated(depth * m_scaleX, depth * m_scaleY)), m_shadow);
    p->fillPath(body, m_fill);
    QPen pen(m_outline, m_dblLineThickness * s);
    p->strokePath(body, pen);
}

void DiagramShape::WrapTextData()
{
    // On one line if it fits, else on more; failing both, a pixel smaller each time, down to a
    // size still read easily.
    constexpr double kSmallest = 9.0;
    for (DiagramText &t : m_texts) {
        const QString text = t.Text();
        DiagramTextFormat format = t.GetTextFormat();
        const double size = format.size > 0.0 ? format.size : double(kBlockFontPixelSize);
        auto fits = [this](const DiagramText &d) {
            const QSizeF need = d.Measure();
            return need.width() <= m_rect.width() && need.height() <= m_rect.height();
        };
        for (double s = size; s >= kSmallest; s -= 1.0) {
            format.size = s == size ? t.GetTextFormat().size : s;
            DiagramText candidate(text, t.Colour());
            candidate.SetTextFormat(format);
            if (!fits(candidate)) {
                candidate.WrapTo(m_rect.width());
                if (!fits(candidate) && s - 1.0 >= kSmallest)
                    continue;
            }
            t = candidate;
            break;
        }
    }
}

void DiagramShape::DrawTextData(QPainter *p, const QRectF &clip)
{
    for (DiagramText &t : m_texts) {
        t.SetSize(t.Measure());
        t.Draw(p, m_rect, clip);
    }
}

// ---- connector ----------------------------------------------------------------------------

DiagramConnector::DiagramConnector()
{
    setZValue(kConnectorZ);
}

void DiagramConnector::Connect(const QPointF &start, const QPointF &end)
{
    prepareGeometryChange();
    m_points = {start, end};
}

void DiagramConnector::InsertPoint(int index, const QPointF &pt)
{
    prepareGeometryChange();
    m_points.insert(std::clamp<qsizetype>(index, 0, m_points.size()), pt);
}

QRectF DiagramConnector::boundingRect() const
{
    QRectF r;
    for (const QPointF &pt : m_points)
        r = r.united(QRectF(pt, QSizeF(0.0, 0.0)));
    const double pad = kArrowLength + kConnectorWidth;
    return r.normalized().adjusted(-pad, -pad, pad, pad);
}

void DiagramConnector::paint(QPainter *p, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_points.size() < 2)
        return;
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setPen(QPen(kConnectorColour, kConnectorWidth));
    p->drawPolyline(m_points.constData(), static_cast<int>(m_points.size()));
    if (m_nEndArrow == 0)
        return;
    const QPointF tip = m_points.last();
    const QPointF from = m_points[m_points.size() - 2];
    const QLineF dir(tip, from);
    if (dir.length() <= 0.0)
        return;
    const QPointF unit = (from - tip) / dir.length();
    const QPointF normal(-unit.y(), unit.x());
    const QPointF base = tip + unit * kArrowLength;
    const QPointF head[3] = {tip, base + normal * kArrowHalfWidth, base - normal * kArrowHalfWidth};
    p->setBrush(kConnectorColour);
    p->drawPolygon(head, 3);
}

// ---- scene --------------------------------------------------------------------------------

DiagramScene::DiagramScene(QObject *parent) : QGraphicsScene(parent)
{
    setBackgroundBrush(kDiagramBackground);
}

DiagramScene::~DiagramScene()
{
    // Connectors and shapes go before the scene's own teardown, so that shapes with hosted
    // controls delete them while the scene still stands.
    RemoveAllConnectors(false);
    while (!m_items.isEmpty())
        Remove(m_items.last()->GetItemID(), false);
}

DiagramItemId DiagramScene::NextId()
{
    if (m_items.isEmpty() && m_connectors.isEmpty())
        m_lastId = 0;
    return ++m_lastId;
}

DiagramItemId DiagramScene::AddItem(DiagramShape *shape, bool autoDestroy)
{
    Q_ASSERT(autoDestroy);
    Q_UNUSED(autoDestroy);
    if (!shape)
        return 0;
    shape->m_itemId = NextId();
    m_items.append(shape);
    addItem(shape);
    shape->OnAddToContainer(this);
    return shape->m_itemId;
}

DiagramItemId DiagramScene::AddConnector(DiagramConnector *connector, bool autoDestroy)
{
    Q_ASSERT(autoDestroy);
    Q_UNUSED(autoDestroy);
    if (!connector)
        return 0;
    connector->m_itemId = NextId();
    m_connectors.append(connector);
    addItem(connector);
    return connector->m_itemId;
}

DiagramShape *DiagramScene::GetAt(int i) const
{
    return i >= 0 && i < m_items.size() ? m_items[i] : nullptr;
}

DiagramShape *DiagramScene::GetItem(DiagramItemId id) const
{
    for (DiagramShape *s : m_items)
        if (s->GetItemID() == id)
            return s;
    return nullptr;
}

DiagramConnector *DiagramScene::GetConnectorAt(int i) const
{
    return i >= 0 && i < m_connectors.size() ? m_connectors[i] : nullptr;
}

bool DiagramScene::Remove(DiagramItemId id, bool redraw)
{
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->GetItemID() == id) {
            DiagramShape *s = m_items.takeAt(i);
            removeItem(s);
            delete s;
            if (redraw)
                update();
            return true;
        }
    }
    return false;
}

void DiagramScene::RemoveAllConnectors(bool redraw)
{
    for (DiagramConnector *c : std::as_const(m_connectors)) {
        removeItem(c);
        delete c;
    }
    m_connectors.clear();
    if (redraw)
        update();
}

void DiagramScene::SetFillBrush(const QColor &c)
{
    setBackgroundBrush(c);
}
