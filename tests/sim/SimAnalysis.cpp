// The simulated drive's mechanism analysis: run control and status, the stop request, and the
// record a run leaves in block memory, made from a mechanism model under the drive's
// excitation.
#include "SimDrive.h"

#include "FFT/ExcitationPhases.h"
#include "Wnds/auxFunction/FreqResponse4096.h"

#include <cmath>
#include <numbers>

namespace {

constexpr std::uint16_t kRegRate = 0x8940;
constexpr std::uint16_t kRegAmplitude = 0x8941;
constexpr std::uint16_t kRegOffset = 0x8942;
constexpr std::uint16_t kRegRun = 0x8943;
constexpr std::uint16_t kRegStatus = 0x8944;
constexpr std::uint16_t kRegPrepare = 0x8945;
constexpr std::uint16_t kRegCommand = 0x894A;
constexpr std::uint16_t kRegStop = 0x8923;

constexpr std::uint16_t kStatusComplete = 3;
constexpr std::uint16_t kStatusError = 4;

// The periodic signal whose 4096-point spectrum is `spectrum` (only bins 0..2048 are read;
// the rest is taken as their mirror, so the signal is real).
std::vector<double> RealSignalOf(std::vector<std::complex<double>> spectrum)
{
    for (int k = 1; k < kMaPoints / 2; ++k)
        spectrum[static_cast<size_t>(kMaPoints - k)] = std::conj(spectrum[static_cast<size_t>(k)]);
    spectrum[kMaPoints / 2] = spectrum[kMaPoints / 2].real();
    for (auto &v : spectrum)
        v = std::conj(v);
    Fft4096(spectrum.data());
    std::vector<double> out(kMaPoints);
    for (int n = 0; n < kMaPoints; ++n)
        out[static_cast<size_t>(n)] = spectrum[static_cast<size_t>(n)].real() / kMaPoints;
    return out;
}

std::int16_t Sample(double tenths)
{
    return static_cast<std::int16_t>(std::lround(std::clamp(tenths, -32768.0, 32767.0)));
}

}

std::complex<double> SimDrive::MechanismResponse(const MechanismModel &model, double f)
{
    if (model.resonanceHz <= 0)
        return 1.0;
    const double fr = model.resonanceHz;
    const std::complex<double> band(0.0, 2.0 * model.damping * f * fr);
    const std::complex<double> r = band / (fr * fr - f * f + band);
    return 1.0 + (model.peakGain - 1.0) * r;
}

std::vector<std::int16_t> SimDrive::MechanismRecord(const MechanismModel &model, int rate,
                                                    int amplitude, int offset)
{
    std::vector<std::complex<double>> spectrum(kMaPoints);
    const plotix::ExcitationTable *table = rate <= 8000 ? plotix::excitationTable(rate) : nullptr;
    if (table) {
        // One period of the multisine is 2·count samples; the record holds whole periods, so
        // tone k of the period sits on bin k·4096/(2·count) of the record's spectrum.
        const double line = MaMultisineLineAmplitude(amplitude, rate);
        const int period = 2 * table->count;
        const int step = kMaPoints / period;
        spectrum[0] = 10.0 * offset * kMaPoints;
        for (int k = 1; k < table->count; ++k) {
            const std::complex<double> h = MechanismResponse(model, double(k) * rate / period);
            spectrum[static_cast<size_t>(k * step)] =
                0.5 * kMaPoints * line * h * std::polar(1.0, table->phases[k - 1]);
        }
    } else {
        std::vector<double> x(kMaPoints);
        BuildExcitationInto(amplitude, offset, x.data());
        for (int n = 0; n < kMaPoints; ++n)
            spectrum[static_cast<size_t>(n)] = 10.0 * x[static_cast<size_t>(n)];
        Fft4096(spectrum.data());
        for (int k = 0; k <= kMaPoints / 2; ++k)
            spectrum[static_cast<size_t>(k)] *= MechanismResponse(model, double(k) * rate / kMaPoints);
    }
    const std::vector<double> y = RealSignalOf(std::move(spectrum));
    std::vector<std::int16_t> record(kMaPoints);
    for (int n = 0; n < kMaPoints; ++n)
        record[static_cast<size_t>(n)] = Sample(y[static_cast<size_t>(n)]);
    return record;
}

void SimDrive::InstallAnalysisHooks()
{
    m_registers[kRegRate] = 16000;
    m_registers[kRegAmplitude] = 0;
    m_registers[kRegOffset] = 0;
    m_registers[kRegRun] = 0;
    m_registers[kRegPrepare] = 0;
    m_registers[kRegCommand] = 0;
    m_registers[kRegStop] = 0;
    m_registers[kRegStatus] = 0;
    m_writeHooks[kRegRun] = [this](std::uint16_t, std::uint16_t value) -> std::uint16_t {
        const std::uint16_t previous = m_registers[kRegRun];
        m_registers[kRegRun] = value;
        if (value == 0) {
            EndAnalysisRun();
        } else if (value == 1 && previous == 0) {
            const int rate = std::max<int>(1, m_registers[kRegRate]);
            const std::vector<std::int16_t> record =
                MechanismRecord(m_model, rate, m_registers[kRegAmplitude],
                                static_cast<std::int16_t>(m_registers[kRegOffset]));
            m_blockMemory.assign(static_cast<size_t>(kMaRecordBytes), 0);
            for (size_t i = 0; i < record.size(); ++i) {
                const auto v = static_cast<std::uint16_t>(record[i]);
                m_blockMemory[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
                m_blockMemory[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
            }
            m_bAnaRunning = true;
            m_bAnaDone = false;
            m_tAnaStart = Clock::now();
            m_dAnaRunSeconds = m_dAnaSeconds >= 0 ? m_dAnaSeconds : double(kMaPoints) / rate;
            ++m_nAnaRuns;
        }
        return 0;
    };
    m_writeHooks[kRegCommand] = [this](std::uint16_t, std::uint16_t value) -> std::uint16_t {
        m_registers[kRegCommand] = value;
        if (value == 0x31)
            EndAnalysisRun();
        return 0;
    };
    m_writeHooks[kRegStop] = [this](std::uint16_t, std::uint16_t value) -> std::uint16_t {
        m_registers[kRegStop] = value;
        EndAnalysisRun();
        return 0;
    };
    m_writeHooks[kRegStatus] = [this](std::uint16_t, std::uint16_t value) -> std::uint16_t {
        if (value == 0)
            m_bAnaDone = false;
        return 0;
    };
    m_readHooks[kRegStatus] = [this](std::uint16_t) -> Access {
        if (m_bAnaRunning && m_anaFault != AnalysisFault::NeverDone) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - m_tAnaStart).count();
            if (elapsed >= m_dAnaRunSeconds) {
                m_bAnaRunning = false;
                m_bAnaDone = true;
            }
        }
        if (!m_bAnaDone)
            return {0, 0};
        return {m_anaFault == AnalysisFault::ErrorBit ? kStatusError : kStatusComplete, 0};
    };
}

void SimDrive::EndAnalysisRun()
{
    m_bAnaRunning = false;
}

void SimDrive::SetMechanismModel(const MechanismModel &model)
{
    std::lock_guard lock(m_mx);
    m_model = model;
}

void SimDrive::SetAnalysisFault(AnalysisFault fault)
{
    std::lock_guard lock(m_mx);
    m_anaFault = fault;
}

void SimDrive::SetAnalysisSeconds(double seconds)
{
    std::lock_guard lock(m_mx);
    m_dAnaSeconds = seconds;
}

bool SimDrive::AnalysisRunning() const
{
    std::lock_guard lock(m_mx);
    return m_bAnaRunning;
}

int SimDrive::AnalysisRunsStarted() const
{
    std::lock_guard lock(m_mx);
    return m_nAnaRuns;
}

int SimDrive::AnalysisRunsStoppedByRecorder() const
{
    std::lock_guard lock(m_mx);
    return m_nAnaRecorderStops;
}
