#include "controls/ColourPopup.h"

#include "LangText.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <qdrawutil.h>

#include <algorithm>

namespace {

const ColourTableEntry kColours[CColourPopup::kColourCount] = {
    {RGB(0, 0, 0), 1},         {RGB(165, 42, 0), 2},      {RGB(0, 64, 64), 3},
    {RGB(0, 85, 0), 4},        {RGB(0, 0, 94), 5},        {RGB(0, 0, 139), 6},
    {RGB(75, 0, 130), 7},      {RGB(40, 40, 40), 8},      {RGB(139, 0, 0), 9},
    {RGB(255, 104, 32), 10},   {RGB(139, 139, 0), 11},    {RGB(0, 147, 0), 12},
    {RGB(56, 142, 142), 13},   {RGB(0, 0, 255), 14},      {RGB(123, 123, 192), 15},
    {RGB(102, 102, 102), 16},  {RGB(255, 0, 0), 17},      {RGB(255, 173, 91), 18},
    {RGB(50, 205, 50), 19},    {RGB(60, 179, 113), 20},   {RGB(127, 255, 212), 21},
    {RGB(125, 158, 192), 22},  {RGB(128, 0, 128), 23},    {RGB(127, 127, 127), 24},
    {RGB(255, 192, 203), 25},  {RGB(255, 215, 0), 26},    {RGB(255, 255, 0), 27},
    {RGB(0, 255, 0), 28},      {RGB(64, 224, 208), 29},   {RGB(192, 255, 255), 30},
    {RGB(72, 0, 72), 31},      {RGB(192, 192, 192), 32},  {RGB(255, 228, 225), 33},
    {RGB(210, 180, 140), 34},  {RGB(255, 255, 224), 35},  {RGB(152, 251, 152), 36},
    {RGB(175, 238, 238), 37},  {RGB(104, 131, 139), 38},  {RGB(230, 230, 250), 39},
    {RGB(255, 255, 255), 40},
};

constexpr int kCustomRow = -2;
constexpr int kAutomaticRow = -3;

}

const ColourTableEntry *CColourPopup::ColourTable()
{
    return kColours;
}

CColourPopup::CColourPopup(COLORREF crInitial, QWidget *pOwner, const QString *pCustomText, int x,
                           int y, const QString *pAutomaticText)
    : QWidget(pOwner, Qt::Popup), m_pPicker(pOwner)
{
    InitPalette();
    m_crInitial = m_crCurrent = crInitial;
    m_bHasCustomButton = pCustomText != nullptr;
    if (pCustomText)
        m_strCustomText = *pCustomText;
    m_bHasAutomaticButton = pAutomaticText != nullptr;
    if (pAutomaticText)
        m_strAutomaticText = *pAutomaticText;
    Open(x, y);
}

CColourPopup::~CColourPopup() = default;

void CColourPopup::InitPalette()
{
    m_nColumns = 8;
    m_nRows = (m_nColours + m_nColumns - 1) / m_nColumns;
    m_nMargin = 2;
    m_nCellSize = 18;
    if (m_nCellSize - 2 * m_nMargin - 2 < 5)
        m_nCellSize = 2 * m_nMargin + 7;
    m_font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    m_strCustomText = LoadLangString("IDS_ColourPopup_41");
}

void CColourPopup::Open(int x, int y)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAutoFillBackground(true);
    LayoutWindow(x, y);
    AddCellTips();
    MarkInitialCell();
    show();
    setFocus(Qt::PopupFocusReason);
}

int CColourPopup::CustomButtonHeight() const
{
    return m_bHasCustomButton ? m_rcCustomButton.height() : 0;
}

int CColourPopup::GridTop() const
{
    return m_nMargin + (m_bHasCustomButton ? CustomButtonHeight() + m_nMargin : 0);
}

void CColourPopup::LayoutWindow(int x, int y)
{
    const int m = m_nMargin, c = m_nCellSize;
    int textW = 0, buttonH = 0;
    if (m_bHasCustomButton) {
        const QFontMetrics fm(m_font);
        textW = fm.horizontalAdvance(m_strCustomText) + 2 * m;
        buttonH = fm.height() + 4 * m + 2;
    }
    QRect wnd(x, y, m_nColumns * c + 2 * m, m_nRows * c + 2 * m);
    if (m_bHasCustomButton) {
        wnd.setHeight(wnd.height() + m + buttonH);
        if (textW > wnd.width())
            wnd.setWidth(textW);
        m_rcCustomButton = QRect(m, m, wnd.width() - 2 * m, buttonH);
    }
    if (m_bHasAutomaticButton) {
        const QFontMetrics fm(m_font);
        const int autoH = fm.height() + 2 * m + 2;
        const int autoW = fm.horizontalAdvance(m_strAutomaticText) + 4 * m;
        if (autoW > wnd.width())
            wnd.setWidth(autoW);
        m_rcAutomaticButton = QRect(m, wnd.height() - m, wnd.width() - 2 * m, autoH);
        wnd.setHeight(wnd.height() + autoH + m);
        if (m_bHasCustomButton)
            m_rcCustomButton.setWidth(wnd.width() - 2 * m);
    }
    QRect screen(0, 0, 1 << 20, 1 << 20);
    const QScreen *s = m_pPicker ? m_pPicker->screen() : QGuiApplication::primaryScreen();
    if (s)
        screen = s->geometry();
    m_rcWindow = ClampToScreen(wnd, screen, m_pPicker ? m_pPicker->height() : 0);
    setGeometry(m_rcWindow);
}

QRect CColourPopup::ClampToScreen(QRect window, const QRect &screen, int ownerHeight)
{
    // Windows-style exclusive right and bottom edges.
    const int screenRight = screen.left() + screen.width();
    const int screenBottom = screen.top() + screen.height();
    if (window.left() + window.width() > screenRight)
        window.moveLeft(screenRight - window.width());
    if (window.left() < screen.left())
        window.moveLeft(screen.left());
    if (window.top() + window.height() > screenBottom)
        window.moveTop(window.top() - window.height() - ownerHeight);
    return window;
}

QRect CColourPopup::GetCellRect(int row, int col) const
{
    if (row < 0 || row >= m_nRows || col < 0 || col >= m_nColumns)
        return QRect();
    return QRect(col * m_nCellSize + m_nMargin, row * m_nCellSize + GridTop(), m_nCellSize,
                 m_nCellSize);
}

bool CColourPopup::HitTest(const QPoint &client, int &row, int &col) const
{
    if (m_bHasCustomButton && m_rcCustomButton.contains(client)) {
        row = col = kCustomRow;
        return true;
    }
    if (m_bHasAutomaticButton && m_rcAutomaticButton.contains(client)) {
        row = col = kAutomaticRow;
        return true;
    }
    const int x = client.x() - m_nMargin, y = client.y() - GridTop();
    if (x < 0 || y < 0)
        return false;
    const int r = y / m_nCellSize, k = x / m_nCellSize;
    if (r >= m_nRows || k >= m_nColumns || r * m_nColumns + k >= m_nColours)
        return false;
    row = r;
    col = k;
    return true;
}

void CColourPopup::NextHover(int key, int &row, int &col, int rows, int cols, bool hasCustomButton)
{
    const int lastRow = rows - 1, lastCol = cols - 1;
    const bool outside = row < 0 || col < 0;
    switch (key) {
    case Qt::Key_Down:
        if (outside)
            row = col = 0;
        else if (row < lastRow)
            ++row;
        else if (hasCustomButton)
            row = col = kCustomRow;
        else
            row = 0;
        break;
    case Qt::Key_Up:
        if (outside) {
            row = lastRow;
            col = 0;
        } else if (row > 0) {
            --row;
        } else if (hasCustomButton) {
            row = col = kCustomRow;
        } else {
            row = lastRow;
        }
        break;
    case Qt::Key_Right:
        if (outside)
            row = col = 0;
        else
            col = col < lastCol ? col + 1 : 0;
        break;
    case Qt::Key_Left:
        if (outside) {
            row = lastRow;
            col = lastCol;
        } else {
            col = col > 0 ? col - 1 : lastCol;
        }
        break;
    default:
        break;
    }
}

void CColourPopup::AddCellTips()
{
    // Looked up now, so the names follow the language chosen since start-up.
    m_cellTips.clear();
    for (int i = 0; i < m_nColours; ++i)
        m_cellTips << LoadLangString(QStringLiteral("IDS_ColourPopup_%1").arg(kColours[i].nNameId));
}

void CColourPopup::MarkInitialCell()
{
    m_nMarkedRow = m_nMarkedCol = -2;
    for (int i = 0; i < m_nColours; ++i) {
        if (kColours[i].crColour == m_crInitial) {
            m_nMarkedRow = i / m_nColumns;
            m_nMarkedCol = i % m_nColumns;
            return;
        }
    }
}

bool CColourPopup::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        int row = -1, col = -1;
        if (HitTest(help->pos(), row, col) && row >= 0)
            QToolTip::showText(help->globalPos(), m_cellTips.value(row * m_nColumns + col), this,
                               GetCellRect(row, col));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void CColourPopup::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette &pal = palette();
    const int m = m_nMargin;
    p.fillRect(rect(), pal.color(QPalette::Button));
    for (int row = 0; row < m_nRows; ++row) {
        for (int col = 0; col < m_nColumns; ++col) {
            const int index = row * m_nColumns + col;
            if (index >= m_nColours)
                break;
            const QRect cell = GetCellRect(row, col);
            const bool marked = row == m_nMarkedRow && col == m_nMarkedCol;
            const bool hovered = row == m_nHoverRow && col == m_nHoverCol;
            p.fillRect(cell, pal.color(marked && !hovered ? QPalette::Light : QPalette::Button));
            if (marked || hovered)
                qDrawWinPanel(&p, cell, pal, marked);
            const QRect swatch = cell.adjusted(m + 1, m + 1, -(m + 1), -(m + 1));
            p.fillRect(swatch, platform::ColorFromRef(kColours[index].crColour));
            p.setPen(pal.color(QPalette::Dark));
            p.setBrush(Qt::NoBrush);
            p.drawRect(swatch.adjusted(0, 0, -1, -1));
        }
    }
    if (m_bHasCustomButton) {
        const QRect b = m_rcCustomButton;
        p.fillRect(b, pal.color(QPalette::Button));
        const QRect text = b.adjusted(0, 0, 0, -(2 * m + 2));
        if (m_nHoverRow == kCustomRow)
            qDrawWinPanel(&p, text, pal, false);
        p.setFont(m_font);
        p.setPen(pal.color(QPalette::ButtonText));
        p.drawText(text, Qt::AlignCenter | Qt::TextSingleLine, m_strCustomText);
        const int bottom = b.top() + b.height();
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(b.left() + 2 * m, bottom - m - 2, width() - 1, bottom - m - 2);
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(b.left() + 2 * m, bottom - m - 1, width() - 1, bottom - m - 1);
    }
    if (m_bHasAutomaticButton) {
        const QRect b = m_rcAutomaticButton;
        p.fillRect(b, pal.color(QPalette::Button));
        if (m_nHoverRow == kAutomaticRow || m_crInitial == kAutomaticChoice)
            qDrawWinPanel(&p, b, pal, m_crInitial == kAutomaticChoice && m_nHoverRow != kAutomaticRow);
        p.setFont(m_font);
        p.setPen(pal.color(QPalette::ButtonText));
        p.drawText(b, Qt::AlignCenter | Qt::TextSingleLine, m_strAutomaticText);
    }
    qDrawWinPanel(&p, rect(), pal, false);
}

LRESULT CColourPopup::SendToOwner(UINT msg, WPARAM wParam)
{
    if (!m_pPicker)
        return 0;
    return platform::SendMessage(platform::WindowRef(static_cast<QObject *>(m_pPicker.data())), msg,
                                 wParam, 0);
}

void CColourPopup::MoveHover(int row, int col)
{
    m_nHoverRow = row;
    m_nHoverCol = col;
    update();
    if (row == kCustomRow) {
        SendToOwner(UM_COLOR_CHANGED, m_crInitial);
    } else if (row == kAutomaticRow) {
        m_crCurrent = kAutomaticChoice;
        SendToOwner(UM_COLOR_CHANGED, m_crCurrent);
    } else if (row >= 0 && col >= 0) {
        m_crCurrent = kColours[row * m_nColumns + col].crColour;
        SendToOwner(UM_COLOR_CHANGED, m_crCurrent);
    }
}

void CColourPopup::mouseMoveEvent(QMouseEvent *e)
{
    int row = -1, col = -1;
    if (HitTest(e->position().toPoint(), row, col) && (row != m_nHoverRow || col != m_nHoverCol))
        MoveHover(row, col);
    QWidget::mouseMoveEvent(e);
}

void CColourPopup::mousePressEvent(QMouseEvent *e)
{
    // The popup decides on the release, wherever the press was.
    e->accept();
}

void CColourPopup::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (rect().contains(e->position().toPoint()))
        Accept();
    else
        Cancel();
}

void CColourPopup::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Left: {
        int row = m_nHoverRow, col = m_nHoverCol;
        NextHover(e->key(), row, col, m_nRows, m_nColumns, m_bHasCustomButton);
        MoveHover(row, col);
        break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Accept();
        break;
    case Qt::Key_Escape:
        Cancel();
        break;
    default:
        QWidget::keyPressEvent(e);
        break;
    }
}

void CColourPopup::closeEvent(QCloseEvent *e)
{
    QWidget::closeEvent(e);
    // Closed by anything but a choice (another window taking over, the owner going away...).
    Cancel();
}

void CColourPopup::Accept()
{
    if (m_bEnded)
        return;
    m_bEnded = true;
    hide();  // gives back the mouse and keyboard before any dialog opens
    if (m_nHoverRow == kCustomRow) {
        const std::optional<COLORREF> chosen = platform::Ui().ChooseColour(m_crInitial, m_pPicker);
        m_crCurrent = chosen ? *chosen : m_crInitial;
    }
    SendToOwner(UM_COLOR_ACCEPTED, m_crCurrent);
    deleteLater();
}

void CColourPopup::Cancel()
{
    if (m_bEnded)
        return;
    m_bEnded = true;
    m_crCurrent = m_crInitial;
    hide();
    SendToOwner(UM_COLOR_CANCELLED, m_crInitial);
    deleteLater();
}
