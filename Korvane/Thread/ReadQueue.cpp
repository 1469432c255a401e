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

void CReadQueue::AppendReadRequest(const CReadRequest &request)
{
    auto copy = std::make_shared<CReadRequest>(request);
    const platform::WindowRef mainWnd(static_cast<QObject *>(platform::MainWindow()));
    if (!mainWnd.IsAlive()) {
        m_arrPendingRequests.push_back(std::move(copy));
        return;
    }
    READQUEUE_LOG << "向读取队列中追加数据";
    std::lock_guard lock(m_csReadRequest);
    for (auto &pending : m_arrPendingRequests) {
        pending->m_hMainWnd = mainWnd;
        m_dequeReadRequest.push_back(std::move(pending));
    }
    m_arrPendingRequests.clear();
    copy->m_hMainWnd = mainWnd;
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
        ReadParameters(m_sysParam, *request);
        const LPARAM lParam = reinterpret_cast<LPARAM>(request.get());
        if (request->m_hMainWnd.IsAlive())
            platform::PostMessage(request->m_hMainWnd, UM_READ_DONE, 0, lParam, request);
        if (request->m_hPageWnd.IsAlive())
            platform::PostMessage(request->m_hPageWnd, UM_READ_DONE, 1, lParam, request);
    }
    READQUEUE_LOG << "线程退出";
}

void CReadQueue::ReadParameters(CSysParam &sys, CReadRequest &request)
{
    request.m_arrReadOk.assign(std::size_t(request.m_arrParam.size()), false);
    std::lock_guard lock(sys.m_csSerial);
    const BYTE station = sys.m_byStation;
    const BOOL lowWordFirst = sys.m_bLowWordFirst;
    for (qsizetype i = 0; i < request.m_arrParam.size(); ++i) {
        CDBDataParameter &p = request.m_arrParam[i];
        const WORD addr = WORD(p.dwAddress);
        int value = 0;
        BOOL ok = FALSE;
        if (p.dwWidth == 16) {
            ok = sys.m_ModbusRTU.ReadRegister(addr, &sys.m_SeriesPort, station, &value);
            if (ok)
                p.iCurValue = p.bSign ? std::int32_t(std::int16_t(value & 0xFFFF)) : std::int32_t(value & 0xFFFF);
        } else if (p.dwWidth == 32) {
            ok = sys.m_ModbusRTU.ReadRegister32(addr, &sys.m_SeriesPort, station, &value, lowWordFirst);
            if (ok)
                // The register's 32-bit pattern, whatever its sign: that is what a save and a reopen keep.
                p.iCurValue = std::int32_t(value);
        }
        request.m_arrReadOk[std::size_t(i)] = ok != FALSE;
    }
}
