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
    *lo = std::max(record.iMin, regLo);
    *hi = std::min(record.iMax, regHi);
}

CDiagramBoxWriter::CDiagramBoxWriter(platform::WindowRef page) : m_page(std::move(page)) {}

CDiagramBoxWriter::~CDiagramBoxWriter()
{
    Stop();
}

void CDiagramBoxWriter::Write(int id, unsigned generation, std::vector<WORD> registers, WORD value)
{
    std::lock_guard lock(m_mx);
    if (m_bStop)
        return;
    m_jobs.push_back({id, generation, std::move(registers), value});
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
    m_cv.notify_one();
}

void CDiagramBoxWriter::Stop()
{
    {
        std::lock_guard lock(m_mx);
        m_bStop = true;
        m_jobs.clear();
    }
    m_cv.notify_all();
    // The worker only posts, never sends, so it never waits on this thread.
    if (m_thread.joinable())
        m_thread.join();
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
    // The error belongs to this transaction only while the lock is still held.
    std::lock_guard lock(sys->m_csSerial);
    const bool ok = sys->WriteReg(reg, value);
    *error = ok ? 0 : sys->m_ModbusRTU.m_dwLastError;
    return ok;
}

void CDiagramBoxWriter::Run()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mx);
            m_cv.wait(lock, [this] { return m_bStop || !m_jobs.empty(); });
            if (m_bStop)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_bBusy = true;
        }
        auto outcome = std::make_shared<BoxWriteOutcome>();
        outcome->id = job.id;
        outcome->generation = job.generation;
        bool stopped = false;
        for (WORD reg : job.registers) {
            bool ok = false;
            DWORD error = 0;
            for (int t = 0; t < kTries && !ok; ++t) {
                {
                    std::lock_guard lock(m_mx);
                    stopped = m_bStop;
                }
                if (stopped)
                    break;
                ok = WriteOnce(reg, job.value, &error);
            }
            if (stopped)
                break;
            if (!ok) {
                outcome->failed.push_back(reg);
                outcome->lastError = error;
            }
        }
        if (!stopped)
            platform::PostMessage(m_page, UM_DIAGRAM_WRITE_DONE, static_cast<WPARAM>(job.id), 0, outcome);
        std::lock_guard lock(m_mx);
        m_bBusy = false;
    }
}
