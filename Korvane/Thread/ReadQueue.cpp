#include "Thread/ReadQueue.h"

#include "SYSPARAM/SysParam.h"
#include "TraceLog.h"
#include "platform/UiServices.h"

#include <cstdint>

#define READQUEUE_LOG KLOG("Thread\\ReadQueue")

namespace {
CReadQueue *g_pReadQueue = nullptr;
}

CReadQueue *GetReadQueue()
{
    return g_pReadQueue;
}

void SetReadQueue(CReadQueue *queue)
{
    g_pReadQueue = queue;
}

CReadQueue::CReadQueue(CSysParam &sysParam) : m_sysParam(sysParam) {}

CReadQueue::~CReadQueue()
{
    Shutdown();
}

namespace {

// A request that asks again what one still waiting asks (same requester, flag and
// parameters) takes that one's place instead of queueing behind it.
bool SameQuestion(const CReadRequest &a, const CReadRequest &b)
{
    if (!(a.m_hPageWnd == b.m_hPageWnd) || a.m_nFlag != b.m_nFlag ||
        a.m_arrParam.size() != b.m_arrParam.size())
        return false;
    for (qsizetype i = 0; i < a.m_arrParam.size(); ++i) {
        if (a.m_arrParam[i].dwAddress != b.m_arrParam[i].dwAddress ||
            a.m_arrParam[i].dwWidth != b.m_arrParam[i].dwWidth)
            return false;
    }
    return true;
}

template <class Container>
bool ReplaceWaiting(Container &waiting, std::shared_ptr<CReadRequest> &request)
{
    for (auto &queued : waiting) {
        if (SameQuestion(*queued, *request)) {
            request->m_hMainWnd = queued->m_hMainWnd;
            queued = std::move(request);
            return true;
        }
    }
    return false;
}

}

void CReadQueue::AppendReadRequest(const CReadRequest &request)
{
    auto copy = std::make_shared<CReadRequest>(request);
    // The worker writes its results into its own list: one shared with the page's would be
    // copied apart on two threads at once.
    copy->m_arrParam.detach();
    const platform::WindowRef mainWnd(static_cast<QObject *>(platform::MainWindow()));
    if (!mainWnd.IsAlive()) {
        if (!ReplaceWaiting(m_arrPendingRequests, copy))
            m_arrPendingRequests.push_back(std::move(copy));
        return;
    }
    READQUEUE_LOG << "向读取队列中追加数据";
    std::lock_guard lock(m_csReadRequest);
    for (auto &pending : m_arrPendingRequests) {
        pending->m_hMainWnd = mainWnd;
        if (!ReplaceWaiting(m_dequeReadRequest, pending))
            m_dequeReadRequest.push_back(std::move(pending));
    }
    m_arrPendingRequests.clear();
    copy->m_hMainWnd = mainWnd;
    if (!ReplaceWaiting(m_dequeReadRequest, copy))
        m_dequeReadRequest.push_back(std::move(copy));
    READQUEUE_LOG << "追加读取数据结束";
    if (!m_bWorkerRunning && !m_bStopReadThread)
        StartWorkerLocked();
}

void CReadQueue::StartWorkerLocked()
{
    // A worker that cleared its flag has left its loop: joining it is short.
    if (m_ReadThread.joinable())
        m_ReadThread.join();
    m_bWorkerRunning = true;
    m_ReadThread = std::thread(&CReadQueue::ThreadProc, this);
}

void CReadQueue::SetStop()
{
    m_bStopReadThread = true;
}

void CReadQueue::Shutdown()
{
    SetStop();
    std::thread worker;
    {
        std::lock_guard lock(m_csReadRequest);
        worker = std::move(m_ReadThread);
    }
    if (worker.joinable())
        worker.join();
    std::lock_guard lock(m_csReadRequest);
    m_dequeReadRequest.clear();
    m_arrPendingRequests.clear();
}

bool CReadQueue::IsWorkerRunning() const
{
    std::lock_guard lock(m_csReadRequest);
    return m_bWorkerRunning;
}

std::size_t CReadQueue::QueuedCount() const
{
    std::lock_guard lock(m_csReadRequest);
    return m_dequeReadRequest.size();
}

std::size_t CReadQueue::PendingCount() const
{
    return m_arrPendingRequests.size();
}

void CReadQueue::ThreadProc()
{
    READQUEUE_LOG << "开启线程";
    for (;;) {
        std::shared_ptr<CReadRequest> request;
        {
            std::lock_guard lock(m_csReadRequest);
            if (m_dequeReadRequest.empty() || m_bStopReadThread) {
                m_bWorkerRunning = false;
                break;
            }
            request = std::move(m_dequeReadRequest.front());
            m_dequeReadRequest.pop_front();
        }
        READQUEUE_LOG << "开始读取";
        ReadParameters(m_sysParam, *request, &m_bStopReadThread);
        const LPARAM lParam = reinterpret_cast<LPARAM>(request.get());
        if (request->m_hMainWnd.IsAlive())
            platform::PostMessage(request->m_hMainWnd, UM_READ_DONE, 0, lParam, request);
        if (request->m_hPageWnd.IsAlive())
            platform::PostMessage(request->m_hPageWnd, UM_READ_DONE, 1, lParam, request);
    }
    READQUEUE_LOG << "线程退出";
}

void CReadQueue::ReadParameters(CSysParam &sys, CReadRequest &request,
                                const std::atomic<bool> *pStop)
{
    const qsizetype count = request.m_arrParam.size();
    request.m_arrReadOk.assign(std::size_t(count), false);
    request.m_bDriveAbsent = false;
    qsizetype i = 0;
    while (i < count) {
        if (pStop && pStop->load())
            return;  // the rest stay failed
        // A short run under one hold of the link lock: between runs the GUI thread's tries
        // and other workers find it free.
        std::lock_guard lock(sys.m_csSerial);
        const BYTE station = sys.m_byStation;
        const BOOL lowWordFirst = sys.m_bLowWordFirst;
        for (int run = 0; run < kReadsPerLockHold && i < count; ++run, ++i) {
            CDBDataParameter &p = request.m_arrParam[i];
            const WORD addr = WORD(p.dwAddress);
            int value = 0;
            BOOL ok = FALSE;
            if (p.dwWidth == 16) {
                ok = sys.m_ModbusRTU.ReadRegister(addr, &sys.m_SeriesPort, station, &value);
                if (ok)
                    p.iCurValue = p.bSign ? std::int32_t(std::int16_t(value & 0xFFFF)) : std::int32_t(value & 0xFFFF);
            } else if (p.dwWidth == 32) {
                ok = sys.m_ModbusRTU.ReadRegister32(addr, &sys.m_SeriesPort, station, &value,
                                                    lowWordFirst);
                // The register's 32-bit pattern, whatever its sign: that is what a save and
                // a reopen keep.
                if (ok)
                    p.iCurValue = std::int32_t(value);
            }
            request.m_arrReadOk[std::size_t(i)] = ok != FALSE;
            // The drive is not there: every further read would only wait out its time-out.
            if (!ok && sys.m_ModbusRTU.IsDriveAbsent()) {
                request.m_bDriveAbsent = true;
                return;
            }
        }
    }
}
