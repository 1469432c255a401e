#pragma once
// The read-request queue and its worker thread. Pages hand a request to AppendReadRequest on
// the GUI thread; one worker takes the requests in order, reads all parameters of a request
// in one hold of the link lock, and posts UM_READ_DONE to the request's windows. The worker
// ends when it finds the queue empty; the next request starts a new one.
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

    // What the worker does with one request: every parameter read in one hold of the link
    // lock, each result marked read or failed.
    static void ReadParameters(CSysParam &sysParam, CReadRequest &request);

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
