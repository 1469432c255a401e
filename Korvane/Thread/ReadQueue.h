#pragma once
// The read-request queue and its worker thread. Pages hand a request to AppendReadRequest on
// the GUI thread; one worker takes the requests in order, reads the parameters of a request in
// short runs (the link lock taken for at most kReadsPerLockHold reads at a time), and posts
// UM_READ_DONE to the request's windows. A request stops at the codec's "drive absent" verdict,
// the rest of its parameters marked failed. A request asking again what a request still
// waiting asks replaces it, so a periodic requester never piles up requests behind a slow
// drive. The worker ends when it finds the queue empty; the next request starts a new one.
//
// Locks: the queue lock is never held while the link lock is taken. Whether a worker will
// still take a request is one flag under the queue lock, so a request appended while the
// worker decides to end is never stranded.
#include "Thread/ReadRequest.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CSysParam;

class CReadQueue {
public:
    explicit CReadQueue(CSysParam &sysParam);
    // Shutdown().
    ~CReadQueue();
    CReadQueue(const CReadQueue &) = delete;
    CReadQueue &operator=(const CReadQueue &) = delete;

    // GUI thread. Queues a copy of the request for the main window (platform::MainWindow())
    // and its page. Before the main window exists the copy waits in the pending list and is
    // queued, in order, ahead of the first request made after it exists.
    void AppendReadRequest(const CReadRequest &request);

    // Exit: the worker ends before its next request; requests appended afterwards stay queued.
    void SetStop();
    // Exit: SetStop, waits for the worker, frees everything still queued or pending.
    void Shutdown();

    bool IsWorkerRunning() const;
    std::size_t QueuedCount() const;
    std::size_t PendingCount() const;

    // What the worker does with one request: the parameters read in runs of at most
    // kReadsPerLockHold per hold of the link lock, each result marked read or failed. Stops
    // (the rest failed) at the "drive absent" verdict or when *pStop becomes true.
    static void ReadParameters(CSysParam &sysParam, CReadRequest &request,
                               const std::atomic<bool> *pStop = nullptr);
    static constexpr int kReadsPerLockHold = 4;

private:
    void ThreadProc();
    void StartWorkerLocked();

    CSysParam &m_sysParam;
    mutable std::mutex m_csReadRequest;
    std::deque<std::shared_ptr<CReadRequest>> m_dequeReadRequest;  // under m_csReadRequest
    bool m_bWorkerRunning = false;                                 // under m_csReadRequest
    std::thread m_ReadThread;                                      // under m_csReadRequest
    std::atomic<bool> m_bStopReadThread{false};
    std::vector<std::shared_ptr<CReadRequest>> m_arrPendingRequests;  // GUI thread only
};

// The application's queue (null before and after it lives).
CReadQueue *GetReadQueue();
void SetReadQueue(CReadQueue *queue);
