#pragma once
// The window that shows a diagram: a white, scrollable, non-editable view of its DiagramScene
// that never zooms. The hosted controls of the diagram's shapes report to it; the two page
// containers turn those reports into the diagram messages to their page (the parent window).
#include "BCGPDiagramControlObject.h"
#include "DiagramScene.h"

#include <QGraphicsView>

class CBCGPDiagramVisualContainerCtrlEx : public QGraphicsView, public IDiagramControlSink
{
    Q_OBJECT
public:
    explicit CBCGPDiagramVisualContainerCtrlEx(QWidget *parent = nullptr);
    ~CBCGPDiagramVisualContainerCtrlEx() override;

    DiagramScene *GetVisualContainer() const { return m_pScene; }
    // Hosted controls report here; the base forwards nothing.
    void OnControlNotify(int id, int code) override;
    // Sends the message to the parent window (the page); nothing without one.
    void SendToParent(unsigned msg, std::uintptr_t wParam);

protected:
    void wheelEvent(QWheelEvent *e) override;

private:
    DiagramScene *m_pScene;
};

// The position-loop page's container: the mode selector and edit ids 1107 to 1128.
class CRecvMsgPositionCtrlContainer : public CBCGPDiagramVisualContainerCtrlEx
{
    Q_OBJECT
public:
    using CBCGPDiagramVisualContainerCtrlEx::CBCGPDiagramVisualContainerCtrlEx;
    void OnControlNotify(int id, int code) override;
};

// The speed-loop page's container: the mode selector and edit ids 1107 to 1120.
class CRecvMsgSpeedLoopContainer : public CBCGPDiagramVisualContainerCtrlEx
{
    Q_OBJECT
public:
    using CBCGPDiagramVisualContainerCtrlEx::CBCGPDiagramVisualContainerCtrlEx;
    void OnControlNotify(int id, int code) override;
};

// The forwarding both page containers share: the selector's change as the mode message, an
// edit's change or commit, for ids first..last, as the edit messages with the id.
void ForwardDiagramNotify(CBCGPDiagramVisualContainerCtrlEx *from, int id, int code, int firstEditId,
                          int lastEditId);
