#include "MyToolBar.h"

#include "CustomTheme.h"
#include "controls/MyNumericIndicatorCtrl.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <QWindow>

#include <algorithm>

namespace {

constexpr int kTextGap = 4;

QColor TextColour(bool ownButton, unsigned style, bool hot)
{
    CCustomTheme::ButtonState state = CCustomTheme::ButtonState::Regular;
    if (style & TBBS_DISABLED)
        state = CCustomTheme::ButtonState::Disabled;
    else if (style & (TBBS_CHECKED | TBBS_PRESSED))
        state = CCustomTheme::ButtonState::Pressed;
    else if (hot)
        state = CCustomTheme::ButtonState::Highlighted;
    if (const CCustomTheme *theme = GetCustomTheme())
        return theme->GetToolbarButtonTextColor(ownButton, state);
    return QApplication::palette().color(state == CCustomTheme::ButtonState::Disabled ? QPalette::Disabled
                                                                                         : QPalette::Active,
                                         QPalette::ButtonText);
}

}

bool LoadResourceImage(int nResId, const char *lpszType, QImage *pImage)
{
    const QString path = QStringLiteral(":/res/%1.%2").arg(nResId).arg(QString::fromLatin1(lpszType).toLower());
    if (!pImage || !QFile::exists(path))
        return false;
    // The image decodes into memory of its own: nothing of the resource stays referenced.
    *pImage = QImage(path);
    return true;
}

// ---- Buttons --------------------------------------------------------------------------------

QSize CToolbarButtonBase::OnCalculateSize(const CMyToolBar &bar) const
{
    int width = bar.m_nButtonWidth;
    if (m_bText && !m_strText.isEmpty())
        width = std::max(width, bar.fontMetrics().horizontalAdvance(m_strText) + 2 * kTextGap);
    return QSize(width, bar.height());
}

void CToolbarButtonBase::OnDraw(QPainter &painter, const CMyToolBar &bar, bool hot) const
{
    if (const QPixmap *image = bar.ImageFor(*this, hot)) {
        const QSize size = bar.m_sizeImage;
        const QRect target(m_rect.left() + (m_rect.width() - size.width()) / 2, m_rect.top() + 2, size.width(),
                           size.height());
        painter.drawPixmap(target, *image);
    }
    if (m_bText && !m_strText.isEmpty()) {
        painter.setPen(TextColour(true, m_nStyle, hot));
        painter.setFont(bar.font());
        const QRect text(m_rect.left(), m_rect.top() + bar.m_sizeImage.height() + 2, m_rect.width(),
                         m_rect.height() - bar.m_sizeImage.height() - 2);
        painter.drawText(text, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_strText);
    }
}

CToolbarLabel::CToolbarLabel(UINT id, const QString &text) : CToolbarButtonBase(id, -1, text)
{
    m_bText = true;
}

void CToolbarLabel::OnChangeParentWnd(CMyToolBar *)
{
    m_font = QFont(QStringLiteral("futura"));
    m_font.setPixelSize(20);
    m_font.setWeight(QFont::Bold);
    m_font.setStyleHint(QFont::SansSerif);
}

QSize CToolbarLabel::OnCalculateSize(const CMyToolBar &bar) const
{
    const QFontMetrics metrics(m_font);
    return QSize(metrics.horizontalAdvance(m_strText) + 2 * kTextGap, bar.height());
}

void CToolbarLabel::OnDraw(QPainter &painter, const CMyToolBar &, bool hot) const
{
    // Drawn as enabled even while its command is disabled.
    painter.setPen(TextColour(true, m_nStyle & ~TBBS_DISABLED, hot));
    painter.setFont(m_font);
    painter.drawText(m_rect.adjusted(kTextGap, 0, -kTextGap, 0), Qt::AlignRight | Qt::AlignVCenter, m_strText);
}

CToolbarImage::CToolbarImage(UINT id, int nResId, const QString &resType)
    : CToolbarButtonBase(id, -1, QString()), m_nResId(nResId), m_strResType(resType)
{
    auto image = std::make_unique<QImage>();
    if (LoadResourceImage(nResId, resType.toLatin1().constData(), image.get()) && !image->isNull())
        m_pImage = std::move(image);
}

QSize CToolbarImage::OnCalculateSize(const CMyToolBar &bar) const
{
    if (!m_pImage)
        return CToolbarButtonBase::OnCalculateSize(bar);
    return QSize(m_pImage->width(), bar.height());
}

void CToolbarImage::OnDraw(QPainter &painter, const CMyToolBar &bar, bool hot) const
{
    if (!m_pImage) {
        CToolbarButtonBase::OnDraw(painter, bar, hot);
        return;
    }
    painter.drawImage(QPoint(m_rect.left(), m_rect.top() + (m_rect.height() - m_pImage->height()) / 2), *m_pImage);
}

void CToolbarImage::CopyFrom(const CToolbarImage &src)
{
    m_nResId = src.m_nResId;
    m_pImage = src.m_pImage ? std::make_unique<QImage>(src.m_pImage->copy()) : nullptr;
}

CMyToolBarNumericButton::CMyToolBarNumericButton(UINT id, int image, const QString &text)
    : CToolbarButtonBase(id, image, text), m_nWidth(CMyToolBar::Scaled(CMyToolBar::Scaled(100)))
{
}

CMyToolBarNumericButton::~CMyToolBarNumericButton()
{
    delete m_pIndicator;
}

void CMyToolBarNumericButton::SetValueText(const QString &strText)
{
    if (!m_pIndicator)
        return;
    m_pIndicator->GetImpl()->SetDigitsText(strText);
    m_pIndicator->repaint();
    m_strText = strText;
}

QSize CMyToolBarNumericButton::OnCalculateSize(const CMyToolBar &bar) const
{
    return QSize(m_nWidth, bar.height());
}

void CMyToolBarNumericButton::OnDraw(QPainter &painter, const CMyToolBar &bar, bool hot) const
{
    if (!m_pIndicator)
        CToolbarButtonBase::OnDraw(painter, bar, hot);
    // With its display the button shows no text of its own: its text is the display's.
}

void CMyToolBarNumericButton::OnChangeParentWnd(CMyToolBar *bar)
{
    if (m_pIndicator && m_pBar == bar)
        return;
    delete m_pIndicator;
    m_pIndicator = nullptr;
    m_pBar = bar;
    if (!bar)
        return;
    m_pIndicator = new CMyNumericIndicatorCtrl(bar);
    CMyNumericIndicatorImpl *impl = m_pIndicator->GetImpl();
    impl->m_style = NumericIndicatorImpl::Digital;
    impl->SetDigitsText(m_strText);
    impl->m_nCells = 7;
    impl->m_nDecimals = 2;
    impl->m_dblSeparatorWidth = 0;
    impl->m_bDrawLeadingZeros = true;
    impl->m_bDrawDecimalPoint = true;
    m_pIndicator->setGeometry(m_rect);
    m_pIndicator->show();
}

void CMyToolBarNumericButton::PlaceIndicator()
{
    if (!m_pIndicator || !m_pIndicator->isVisible() || !m_pBar)
        return;
    const int s3 = CMyToolBar::Scaled(3);
    const int h = m_pBar->fontMetrics().height();
    const int bottom = m_rect.top() + m_rect.height();
    const int top = std::max(m_rect.top(), bottom - h - 2 * s3);
    m_pIndicator->setGeometry(m_rect.left() + s3, top, std::max(1, m_rect.width() - 2 * s3), h + s3);
}

void CMyToolBarNumericButton::OnShow(bool bShow)
{
    if (!m_pIndicator)
        return;
    if (bShow && IsHorizontal()) {
        m_pIndicator->show();
        PlaceIndicator();
    } else {
        m_pIndicator->hide();
    }
}

void CMyToolBarNumericButton::OnMove()
{
    PlaceIndicator();
}

void CMyToolBarNumericButton::OnSize(int iSize)
{
    m_rect.setWidth(iSize);
    PlaceIndicator();
}

// ---- Layout ---------------------------------------------------------------------------------

void LayoutStatusPair(std::vector<QRect> &rects, std::vector<bool> &visible, int clientRight)
{
    const size_t n = rects.size();
    if (n < 2)
        return;
    // Right edges here are exclusive (left + width).
    auto rightOf = [](const QRect &r) { return r.left() + r.width(); };
    int x = clientRight;
    QRect &display = rects[n - 1];
    const int displayWidth = display.width() + 40;
    display = QRect(x - displayWidth, display.top(), displayWidth, display.height());
    x = display.left();
    QRect &label = rects[n - 2];
    const int labelWidth = label.width() + 20;
    label = QRect(x - labelWidth, label.top(), labelWidth, label.height());
    if (n >= 3 && label.left() <= rightOf(rects[n - 3])) {
        visible[n - 1] = false;
        visible[n - 2] = false;
    }
    for (size_t i = n - 2; i-- > 0;) {
        if (rightOf(rects[i]) < clientRight)
            break;
        visible[i] = false;
    }
}

CMyToolBar::CMyToolBar(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_StyledBackground, false);
    setFixedHeight(m_sizeImage.height() + fontMetrics().height() + 8);
}

CMyToolBar::~CMyToolBar() = default;

int CMyToolBar::Scaled(int pixels)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return int(pixels * dpi / 96.0);
}

int CMyToolBar::InsertButton(std::unique_ptr<CToolbarButtonBase> button)
{
    m_buttons.push_back(std::move(button));
    m_buttons.back()->OnChangeParentWnd(this);
    AdjustLocations();
    return int(m_buttons.size()) - 1;
}

CToolbarButtonBase *CMyToolBar::GetButton(int index) const
{
    return index >= 0 && index < GetCount() ? m_buttons[size_t(index)].get() : nullptr;
}

int CMyToolBar::CommandToIndex(UINT id) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (m_buttons[size_t(i)]->m_nID == id)
            return i;
    }
    return -1;
}

int CMyToolBar::HitTest(const QPoint &point) const
{
    for (int i = 0; i < GetCount(); ++i) {
        const CToolbarButtonBase &b = *m_buttons[size_t(i)];
        if (b.m_bVisible && b.m_rect.contains(point))
            return i;
    }
    return -1;
}

void CMyToolBar::SetButtonInfo(int index, const QString &text, int image)
{
    if (CToolbarButtonBase *b = GetButton(index)) {
        b->m_strText = text;
        b->m_iImage = image;
        AdjustLocations();
        update();
    }
}

const QPixmap *CMyToolBar::ImageFor(const CToolbarButtonBase &button, bool hot) const
{
    const QList<QPixmap> *list = &m_imgToolBar;
    if (button.m_nStyle & (TBBS_CHECKED | TBBS_PRESSED))
        list = &m_imgToolBarExtra;
    else if (hot && !m_imgToolBarHot.isEmpty())
        list = &m_imgToolBarHot;
    if (button.m_iImage < 0 || button.m_iImage >= list->size())
        return nullptr;
    return &(*list)[button.m_iImage];
}

void CMyToolBar::AdjustLocations()
{
    std::vector<QRect> rects;
    std::vector<bool> visible;
    int x = 0;
    for (const auto &b : m_buttons) {
        const QSize size = b->OnCalculateSize(*this);
        rects.emplace_back(x, 0, size.width(), height());
        visible.push_back(true);
        x += size.width();
    }
    LayoutStatusPair(rects, visible, width());
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        CToolbarButtonBase &b = *m_buttons[i];
        const bool moved = b.m_rect.topLeft() != rects[i].topLeft();
        const bool sized = b.m_rect.size() != rects[i].size();
        b.m_rect = rects[i];
        const bool wasVisible = b.m_bVisible;
        b.m_bVisible = visible[i];
        if (wasVisible != b.m_bVisible || !b.m_bVisible)
            b.OnShow(b.m_bVisible);
        if (sized)
            b.OnSize(rects[i].width());
        else if (moved)
            b.OnMove();
    }
    if (auto *numeric = m_buttons.empty() ? nullptr : dynamic_cast<CMyToolBarNumericButton *>(m_buttons.back().get()))
        numeric->OnShow(numeric->m_bVisible);
    update();
}

QRect CMyToolBar::GlyphRect(int which) const
{
    const int side = Scaled(10);
    const int step = side + Scaled(5);
    const int right = width() - 2 * Scaled(3);
    const int left = right - (3 - which) * step;
    return QRect(left, 5, side, side);
}

// ---- Painting and mouse ---------------------------------------------------------------------

void CMyToolBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (const CCustomTheme *theme = GetCustomTheme())
        theme->OnFillBarBackground(painter, this, rect());
    else
        painter.fillRect(rect(), palette().window());
    for (int i = 0; i < GetCount(); ++i) {
        const CToolbarButtonBase &b = *m_buttons[size_t(i)];
        if (b.m_bVisible)
            b.OnDraw(painter, *this, i == m_nHot);
    }
    DrawCaptionGlyphs(painter);
}

void CMyToolBar::DrawCaptionGlyphs(QPainter &painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    const QRect min = GlyphRect(0);
    painter.drawLine(min.left(), min.bottom() - 1, min.right(), min.bottom() - 1);
    const QRect max = GlyphRect(1);
    const QWidget *frame = window();
    if (frame && frame->isMaximized()) {
        const int third = max.width() / 3;
        painter.drawRect(max.adjusted(third, 0, 0, -third));
        painter.drawRect(max.adjusted(0, third, -third, 0));
    } else {
        painter.drawRect(max.adjusted(0, 0, -1, -1));
    }
    const QRect close = GlyphRect(2);
    painter.drawLine(close.topLeft(), close.bottomRight());
    painter.drawLine(close.topRight(), close.bottomLeft());
    painter.restore();
}

void CMyToolBar::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    AdjustLocations();
}

platform::WindowRef CMyToolBar::Target() const
{
    if (m_target)
        return m_target;
    return platform::WindowRef(static_cast<QObject *>(window()));
}

void CMyToolBar::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(e);
    const QPoint p = e->position().toPoint();
    for (int g = 0; g < 3; ++g) {
        if (GlyphRect(g).contains(p))
            return;  // acted on at the release
    }
    const int hit = HitTest(p);
    if (hit > 0) {
        m_nPressed = hit;
        m_buttons[size_t(hit)]->m_nStyle |= TBBS_PRESSED;
        update();
        return;
    }
    // The logo and the empty toolbar are the window's caption.
    if (QWindow *handle = window()->windowHandle())
        handle->startSystemMove();
}

void CMyToolBar::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(e);
    const QPoint p = e->position().toPoint();
    const int pressed = m_nPressed;
    m_nPressed = -1;
    if (CToolbarButtonBase *b = GetButton(pressed)) {
        b->m_nStyle &= ~TBBS_PRESSED;
        update();
    }
    const QWidget *frame = window();
    if (GlyphRect(2).contains(p)) {
        platform::PostMessage(Target(), WM_SYSCOMMAND, SC_CLOSE);
        return;
    }
    if (GlyphRect(1).contains(p)) {
        platform::PostMessage(Target(), WM_SYSCOMMAND, frame && frame->isMaximized() ? SC_RESTORE : SC_MAXIMIZE);
        return;
    }
    if (GlyphRect(0).contains(p)) {
        platform::PostMessage(Target(), WM_SYSCOMMAND, SC_MINIMIZE);
        return;
    }
    const int hit = HitTest(p);
    if (hit > 0 && hit == pressed && !(m_buttons[size_t(hit)]->m_nStyle & TBBS_DISABLED))
        platform::PostMessage(Target(), WM_COMMAND, m_buttons[size_t(hit)]->m_nID);
}

void CMyToolBar::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return QWidget::mouseDoubleClickEvent(e);
    if (HitTest(e->position().toPoint()) > 0)
        return mousePressEvent(e);
    QWidget *frame = window();
    if (frame->isMaximized())
        frame->showNormal();
    else
        frame->showMaximized();
}

void CMyToolBar::mouseMoveEvent(QMouseEvent *e)
{
    const int hot = HitTest(e->position().toPoint());
    if (hot != m_nHot) {
        m_nHot = hot;
        update();
    }
    QWidget::mouseMoveEvent(e);
}

void CMyToolBar::leaveEvent(QEvent *e)
{
    if (m_nHot != -1) {
        m_nHot = -1;
        update();
    }
    QWidget::leaveEvent(e);
}

bool CMyToolBar::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        const CToolbarButtonBase *b = GetButton(HitTest(help->pos()));
        if (!m_bShowToolTips || !b || !b->HasToolTip() || !m_fnToolTip) {
            QToolTip::hideText();
            e->ignore();
            return true;
        }
        const QString text = m_fnToolTip(b->m_nID);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this, b->m_rect);
        return true;
    }
    return QWidget::event(e);
}
