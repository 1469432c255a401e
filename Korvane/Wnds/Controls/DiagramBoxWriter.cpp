#include "DiagramBoxWriter.h"

#include "SYSPARAM/SysParam.h"
#include "TX/ModbusRTU.h"
#include "database/DBDataParameter.h"

#include <algorithm>
#include <memory>

BoxText ParseBoxText(const QString &text, long min, long max, long *value)
{
    if (text.isEmpty())
        return BoxText::Empty;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == u'+' || text[0] == u'-') {
        negative = text[0] == u'-';
        i = 1;
    }
    if (i >= text.size())
        return BoxText::NotANumber;
    // Past this the number is out of every range; digits are still checked.
    constexpr long long kCap = 1'000'000'000'000LL;
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return BoxText::NotANumber;
        if (magnitude < kCap)
            magnitude = magnitude * 10 + (c - u'0');
    }
    const long long v = negative ? -magnitude : magnitude;
    if (v < min || v > max)
        return BoxText::OutOfRange;
    *value = static_cast<long>(v);
    return BoxText::Ok;
}

void RecordRange(const CDBDataParameter &record, long *lo, long *hi)
{
    const long regLo = record.bSign ? -32768 : 0;
    const long regHi = record.bSign ? 32767 : 65535;
    *lo = std::max<long>(record.iMin, regLo);
    *hi = std::min<long>(record.iMax, regHi);
}

CDiagramBoxWriter::CDiagramBoxWriter(platform::MessageTarget *page)
    : m_page(page), m_worker(page, "diagram box writer")
{
}

CDiagramBoxWriter::~CDiagramBoxWriter()
{
    Stop();
}

void CDiagramBoxWriter::Write(int id, unsigned generation, std::vector<WORD> registers, WORD value)
{
    {
        std::lock_guard lock(m_mx);
        if (m_bStopped || m_worker.StopRequested())
            return;
        m_jobs.push_back({id, generation, std::move(registers), value});
    }
    if (!m_worker.IsRunning())
        m_worker.Start([this](const std::atomic<bool> &stop) { Run(stop); });
    m_cv.notify_one();
}

void CDiagramBoxWriter::Stop()
{
    {
        std::lock_guard lock(m_mx);
        m_bStopped = true;
        m_jobs.clear();
    }
    m_cv.notify_all();
    m_worker.Stop();
}

bool CDiagramBoxWriter::IsIdle() const
{
    std::lock_guard lock(m_mx);
    return m_jobs.empty() && !m_bBusy;
}

bool CDiagramBoxWriter::WriteOnce(WORD reg, WORD value, DWORD *error)
{
    CSysParam *sys = GetSysParam();
    if (!sys) {
        *error = CModbusRTU::kErrBadReply;
        return false;
    }
    const bool ok = sys->WriteReg(reg, value, CSysParam::LinkWait::Block, 1);
    *error = ok ? 0 : CSysParam::LastLinkError();
    return ok;
}

void CDiagramBoxWriter::Run(const std::atomic<bool> &stop)
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mx);
            // The stop flag is the worker's own: it is polled, not signalled.
            while (!stop && m_jobs.empty())
                m_cv.wait_for(lock, std::chrono::milliseconds(20));
            if (stop)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_bBusy = true;
        }
        auto outcome = std::make_shared<BoxWriteOutcome>();
        outcome->id = job.id;
        outcome->generation = job.generation;
        for (WORD reg : job.registers) {
            bool ok = false;
            DWORD error = 0;
            for (int t = 0; t < kTries && !ok && !stop; ++t)
                ok = WriteOnce(reg, job.value, &error);
            if (stop)
                break;
            if (!ok) {
                outcome->failed.push_back(reg);
                outcome->lastError = error;
            }
        }
        if (!stop)
            platform::PostMessage(m_page, UM_DIAGRAM_WRITE_DONE, static_cast<WPARAM>(job.id), 0, outcome);
        std::lock_guard lock(m_mx);
        m_bBusy = false;
    }
}
