#pragma once
// What a parameter box sends to the drive, and the sending: the check of a box's text against
// the parameter records of its registers, and a worker that writes a box's value to its
// registers (each with up to six tries) away from the GUI thread and posts the outcome to the
// page. All drive access of the diagram pages goes through CDiagramBoxWriter::WriteOnce.
#include "platform/Messages.h"
#include "platform/PageWorker.h"
#include "platform/WinTypes.h"

#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

class CDBDataParameter;

enum class BoxText {
    Empty,       // nothing to send
    Ok,          // *value holds the number
    NotANumber,  // anything but an optional sign followed by digits
    OutOfRange,  // a number outside [min, max]
};

// A box's text as a whole number within [min, max]. Never overflows, however long the text.
BoxText ParseBoxText(const QString &text, long min, long max, long *value);

// The range a box may send to a register with this record: the record's range within what its
// 16-bit register holds with the record's sign. lo > hi when nothing fits.
void RecordRange(const CDBDataParameter &record, long *lo, long *hi);

// The outcome of one box's write, posted with UM_DIAGRAM_WRITE_DONE.
struct BoxWriteOutcome
{
    int id = 0;
    unsigned generation = 0;
    std::vector<WORD> failed;  // registers whose every try failed, in order
    DWORD lastError = 0;       // the codec's error of the last failed try
    bool Ok() const { return failed.empty(); }
};

class CDiagramBoxWriter
{
public:
    static constexpr int kTries = 6;

    // The page owns the writer; the page's DestroyWindow stops it with its other workers.
    explicit CDiagramBoxWriter(platform::MessageTarget *page);
    ~CDiagramBoxWriter();
    CDiagramBoxWriter(const CDiagramBoxWriter &) = delete;
    CDiagramBoxWriter &operator=(const CDiagramBoxWriter &) = delete;

    // Queues the value for the registers, written in this order; a register that fails all its
    // tries does not stop the ones after it.
    void Write(int id, unsigned generation, std::vector<WORD> registers, WORD value);
    // Ends the worker after the register it is writing; what is queued is dropped. Joins.
    void Stop();
    // True while nothing is queued or being written.
    bool IsIdle() const;

    // One write transaction (the link taken for it alone): the reason in *error on failure.
    static bool WriteOnce(WORD reg, WORD value, DWORD *error);

private:
    struct Job
    {
        int id = 0;
        unsigned generation = 0;
        std::vector<WORD> registers;
        WORD value = 0;
    };
    void Run(const std::atomic<bool> &stop);

    platform::WindowRef m_page;
    mutable std::mutex m_mx;
    std::condition_variable m_cv;
    std::deque<Job> m_jobs;
    bool m_bBusy = false;
    bool m_bStopped = false;
    platform::PageWorker m_worker;
};
