#include "BCGPDiagramVisualContainerCtrlEx.h"

#include "DiagramStyle.h"
#include "platform/Messages.h"

#include <QScrollBar>
#include <QWheelEvent>

namespace {
constexpr int kModeSelectorId = 1105;
}

CBCGPDiagramVisualContainerCtrlEx::CBCGPDiagramVisualContainerCtrlEx(QWidget *parent)
    : QGraphicsView(parent), m_pScene(new DiagramScene(this))
{
    m_pScene->SetOwner(this);
    setScene(m_pScene);
    setBackgroundBrush(diagram_style::kDiagramBackground);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setDragMode(QGraphicsView::NoDrag);
    setFrameShape(QFrame::Box);
    setRenderHint(QPainter::Antialiasing, true);
    setTransformationAnchor(QGraphicsView::NoAnchor);
}

CBCGPDiagramVisualContainerCtrlEx::~CBCGPDiagramVisualContainerCtrlEx()
{
    // The shapes' controls report to this window: they go before it does.
    setScene(nullptr);
    delete m_pScene;
    m_pScene = nullptr;
}

void CBCGPDiagramVisualContainerCtrlEx::OnControlNotify(int, int) {}

void CBCGPDiagramVisualContainerCtrlEx::wheelEvent(QWheelEvent *e)
{
    // Scrolls only, with or without Ctrl: the diagram has one scale.
    const QPoint delta = e->angleDelta();
    if (delta.y() != 0)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - delta.y() / 2);
    if (delta.x() != 0)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x() / 2);
    e->accept();
}

void CBCGPDiagramVisualContainerCtrlEx::SendToParent(unsigned msg, std::uintptr_t wParam)
{
    if (QWidget *parent = parentWidget())
        platform::SendMessage(platform::WindowRef(static_cast<QObject *>(parent)), msg, wParam, 0);
}

void ForwardDiagramNotify(CBCGPDiagramVisualContainerCtrlEx *from, int id, int code, int firstEditId,
                          int lastEditId)
{
    auto send = [from](unsigned msg, std::uintptr_t w) { from->SendToParent(msg, w); };
    if (id == kModeSelectorId && code == CBN_SELCHANGE) {
        send(UM_DIAGRAM_MODE_CHANGED, 0);
        return;
    }
    if (id < firstEditId || id > lastEditId)
        return;
    if (code == EN_CHANGE)
        send(UM_DIAGRAM_EDIT_CHANGED, static_cast<std::uintptr_t>(id));
    else if (code == EN_COMMIT)
        send(UM_DIAGRAM_EDIT_COMMITTED, static_cast<std::uintptr_t>(id));
}

void CRecvMsgPositionCtrlContainer::OnControlNotify(int id, int code)
{
    ForwardDiagramNotify(this, id, code, 1107, 1128);
}

void CRecvMsgSpeedLoopContainer::OnControlNotify(int id, int code)
{
    ForwardDiagramNotify(this, id, code, 1107, 1120);
}
