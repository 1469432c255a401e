#pragma once
// A simulated drive on a pseudo-terminal: answers the register link (read 0x23 of one or two
// registers, write 0x26, write 0x20 of two registers, block read 0x2B/0xAD) from a register
// file, paces every reply at the configured baud rate (11 bit times per byte: a
// pseudo-terminal itself delivers at once), and misbehaves on request.
//
// Tests and benchmarks drive it through this class; the korvane-sim program wraps it.
// All control calls are thread-safe. Hooks run on the drive's thread with its lock held:
// they may call the register functions of this class, but must not block.

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <chrono>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

struct termios;

class SimDrive {
public:
    static constexpr std::uint8_t kDefaultStation = 0xFA;
    static constexpr int kDefaultBaud = 57600;

    // Exception codes of the register file.
    static constexpr std::uint16_t kExIllegalFunction = 0x01;
    static constexpr std::uint16_t kExUnknownRegister = 0x02;
    static constexpr std::uint16_t kExBadValue = 0x03;
    static constexpr std::uint16_t kExRefused = 0x04;

    // Error replies: `st fc|0x80 code CRC`, or `st fc 80 01 codeH codeL CRC`. Writes of one
    // register (0x26) always use the first form; block reads use their 10-byte 0xFB reply.
    enum class ErrorForm { Bit7, Code16 };

    enum class FaultKind {
        Silence,      // no reply
        BadChecksum,  // register reply: CRC wrong; block reply: byte sum wrong
        BadHeader,    // block reply: header wrong, sum made to match
        ShortReply,   // the last `shortBy` bytes are left out
        SplitReply,   // `splitAt` bytes, a pause of `gapMs`, the rest
        LateReply,    // the reply starts `delayMs` after the request arrived (default: 40 ms
                      // after the master gave up waiting)
        ErrorReply,   // an error reply with `errorCode` in `form`
        RawReply,     // `raw` (plus its CRC when `appendCrc`) instead of the reply
        DeviceGone,   // the device vanishes instead of answering
        // The reply with one byte wrong and its CRC (block reply: byte sum) made to match:
        WrongByteCount,  // a read's byte count (byte 2), a two-register write's count (bytes 4-5)
        WrongStation,    // the station byte
        WrongFunction,   // the function code (a read's becomes a write's, any other a read's)
        Garbage,         // bytes as many as the reply's, no frame of any kind
    };

    struct Fault {
        FaultKind kind = FaultKind::Silence;
        bool persistent = false;  // else it applies to the next matching request only
        int function = -1;        // only requests with this function code; -1: any
        int address = -1;         // only register requests for this address; -1: any
        int shortBy = 1;
        int splitAt = 0;          // 0: half the reply
        int gapMs = 30;
        int delayMs = 0;          // 0: just past the master's time-out
        std::uint16_t errorCode = kExUnknownRegister;
        ErrorForm form = ErrorForm::Bit7;
        std::vector<std::uint8_t> raw;
        bool appendCrc = true;
    };

    struct Request {
        std::vector<std::uint8_t> bytes;  // as received, CRC included
        // When it came: on the simulated line, the time its first byte started.
        std::chrono::steady_clock::time_point at;
        // When the last byte of its reply left; unset (epoch) while it has none.
        std::chrono::steady_clock::time_point repliedAt{};
    };
    // The shortest silence between the last byte of a reply and the start of the request
    // after it, over the requests logged; a large value when no request followed a reply.
    static std::chrono::microseconds ShortestReplyGap(const std::vector<Request> &requests);

    // The result of reading a register: `exception` non-zero refuses the read.
    struct Access {
        std::uint16_t value = 0;
        std::uint16_t exception = 0;
    };
    using ReadHook = std::function<Access(std::uint16_t address)>;
    // Returns the exception code, 0 to accept. A hook that accepts stores the value itself
    // when it wants it kept.
    using WriteHook = std::function<std::uint16_t(std::uint16_t address, std::uint16_t value)>;

    SimDrive();
    ~SimDrive();
    SimDrive(const SimDrive &) = delete;
    SimDrive &operator=(const SimDrive &) = delete;

    // Opens a pseudo-terminal and serves it on a thread of its own. False when no
    // pseudo-terminal could be had.
    bool Start();
    // Stops serving and closes the pseudo-terminal: to the program the device is gone.
    void Stop();
    bool IsRunning() const;
    // The device path for the program's serial port, e.g. "/dev/pts/5".
    std::string SlavePath() const;

    void SetBaud(int nBaud);
    int Baud() const;
    void SetStation(std::uint8_t byStation);
    std::uint8_t Station() const;
    // Form of the register file's own refusals (unknown register, hooks' codes).
    void SetErrorForm(ErrorForm form);

    // The register file. Unknown registers refuse reads and writes with 0x02.
    void SetRegister(std::uint16_t address, std::uint16_t value);
    std::uint16_t GetRegister(std::uint16_t address) const;  // 0 when unknown
    bool HasRegister(std::uint16_t address) const;
    // Every address of the register file, in order.
    std::vector<std::uint16_t> RegisterAddresses() const;
    void RemoveRegister(std::uint16_t address);
    // A 32-bit value in two registers, in the word order register 0x8006 selects (0: the
    // first register holds the high word).
    void SetRegister32(std::uint16_t address, std::uint32_t value);
    std::uint32_t GetRegister32(std::uint16_t address) const;
    // Adds or overwrites registers.
    void Seed(const std::map<std::uint16_t, std::uint16_t> &registers);
    // The control, status and identity registers a drive has after a reset; read-only ones
    // acknowledge writes and keep their value.
    void SeedDefaults();
    static std::map<std::uint16_t, std::uint16_t> DefaultRegisters();
    // The parameter registers of the default parameter database (its factory values), 32-bit
    // ones in the current word order; the control and identity registers stay as they are.
    // False, with the reason in *error, when the database yields nothing.
    bool SeedFromDefaultDatabase(const std::string &dbPath, int productId = 1,
                                 std::string *error = nullptr);
    // Where the build lays the default parameter database.
    static std::string DefaultDatabasePath();
    // A hook replaces the plain register behaviour of its address; an empty one removes it.
    void SetReadHook(std::uint16_t address, ReadHook hook);
    void SetWriteHook(std::uint16_t address, WriteHook hook);

    // Recorder memory served by block reads: block i is bytes 128·i to 128·i + 127. Indexes
    // beyond it get the block error reply with code 0x02. Default: 64 zero blocks.
    void SetBlockMemory(std::vector<std::uint8_t> memory);

    void InjectFault(const Fault &fault);
    void ClearFaults();

    // A drive that answers late: every reply starts a random whole number of milliseconds
    // between minMs and maxMs after it would have, and every pastWindowEvery-th one (0: none)
    // just past the master's patience instead. The drive keeps reading the line meanwhile and
    // answers requests one at a time, in the order they came. maxMs 0 and pastWindowEvery 0
    // end it.
    struct LateAnswers {
        int minMs = 0;
        int maxMs = 0;
        int pastWindowEvery = 0;
        unsigned seed = 1;
    };
    void SetLateAnswers(const LateAnswers &late);

    // Sends bytes to the program at once, unasked.
    void SendRaw(const std::vector<std::uint8_t> &bytes);
    // The line settings the program gave its end of the pseudo-terminal.
    bool LineSettings(struct termios &settings) const;

    // Every complete frame received (valid CRC or not), oldest first.
    std::vector<Request> Requests() const;
    void ClearRequests();

    // ---- The recorder (oscilloscope) -------------------------------------------------------
    // Registers 0x8958 (sampling frequency, settable, default 16000), 0x8959..0x8962 (set-up:
    // layout code, period count, source codes, six trigger words), 0x8963 (1 latches the
    // set-up and starts, 2 stops; always answered), 0x8964 (status: 1 while a single shot
    // records, 2 when it can be read, 0 idle), 0x8962 and 0x8965 (ring positions P and T after
    // a single shot).
    //
    // Single shot (layout code 0..4): records for n·p/f seconds (n samples per channel, p the
    // period count, f the frequency), then the capture memory (SetRecorderWords words) holds
    // each channel's n samples by layout, rotated so that the program's rotation by P and T
    // puts the first sample first. Trigger: with source A (high byte of word 1: channel 1..4)
    // set, the first sample m >= w6 where that channel's raw value meets condition A (low
    // byte: 0 rising through, 1 falling through, 2 at or above, 3 at or below, 4 equal to the
    // level, word 2 as signed 16-bit) lands at index w6 of the rotated capture.
    // Roll (layout code 5..9): a 137-byte frame every s·p/f seconds (s samples per channel and
    // frame), at the line's pace; requests are answered between frames; a frame the line
    // cannot carry in its slot is dropped with its counter; none after the stop.
    struct FrameLogEntry {
        long long index = 0;        // frame number since the roll start
        int counter = 0;            // the frame's counter byte
        long long firstSample = 0;  // sample number of its first samples
        bool sent = false;          // false: dropped, the line was busy
        std::chrono::steady_clock::time_point at;  // when its last byte left
    };
    static constexpr std::uint16_t kRegRecFrequency = 0x8958;
    static constexpr std::uint16_t kRegRecCommand = 0x8963;
    static constexpr std::uint16_t kRegRecStatus = 0x8964;
    static constexpr std::uint16_t kRegRecRingP = 0x8962;
    static constexpr std::uint16_t kRegRecRingT = 0x8965;

    // The value of source `code` at sample number `sample`: a function of the time
    // sample·p/f. Sources that count (the "FUNC测试" items) give the sample number itself.
    static std::uint32_t RecorderSample(int code, long long sample, int periodCount, int frequency);
    static bool IsCountingSource(int code);
    // Samples per channel of a capture of `bytes` in layout 0..4, and per roll frame.
    static int RecorderSamplesPerChannel(int layout, std::size_t bytes);
    static int RecorderSamplesPerFrame(int layout);

    void SetRecorderWords(int words);
    // P and T that the next single shots report (-1: chosen by the drive).
    void SetRecorderRing(int P, int T);
    // The status stays 1 (the recording never ends).
    void SetRecorderStatusStuck(bool stuck);
    // Single shots record for this share of n·p/f (1, the default: the drive's own time).
    // Tests of what the program does with a capture need not wait out a long recording.
    void SetRecorderTimeShare(double share);
    bool RecorderRolling() const;
    // The sample number of the first sample of the last single shot's capture.
    long long RecorderCaptureStart() const;
    // A fault for the block read of one index (one-shot unless persistent); cleared by
    // ClearFaults.
    void SetBlockFault(std::size_t index, const Fault &fault);
    // Every roll frame due, sent or dropped, oldest first; also written one line a frame to
    // the file set by SetFrameLogFile ("frame <index> counter <c> sample <first> sent|dropped
    // t_us <microseconds since the roll start> mono_us <steady clock, microseconds>").
    std::vector<FrameLogEntry> FrameLog() const;
    // Faults of the roll stream, each for the next frame sent: a wrong byte sum; `count`
    // frames skipped with their counters (logged as dropped); `count` garbage bytes before it;
    // the frame split after `count` bytes with a pause of `gapMs`; a burst of `count` bytes
    // without any header before it.
    enum class RollFaultKind { BadSum, CounterGap, Garbage, Split, Burst };
    struct RollFault {
        RollFaultKind kind = RollFaultKind::BadSum;
        int count = 0;
        int gapMs = 30;
    };
    void InjectRollFault(const RollFault &fault);
    void ClearFrameLog();
    bool SetFrameLogFile(const std::string &path);

    // ---- Status, faults and digital I/O -----------------------------------------------------
    // Fault history: a ring of ten records behind 0x0935 (record select, 0 = latest; above 9
    // refused with 0x03) and 0x0936..0x093D (code, time as 32 bits in the 0x8006 order,
    // speed, -, U and V current, bus voltage); empty slots read 0. Raising a fault sets 0x0931
    // to its code and 0x092B to 3 and pushes its record; writing 1 to 0x0805 clears 0x0931
    // and sets 0x092B to 1 (unless the fault is not resettable), the history stays.
    // DI/DO: 0x0925 (0x0926) reads the physical DI (DO) word, or the forced word 0x0810
    // (0x0811) while bit 0 (bit 1) of 0x080F is set; 0x0B03 and 0x0B05 read the same.
    // 0x0810 keeps 9 bits, 0x0811 5. In strict mode a write to a DI parameter (0x0107..0x0118)
    // is refused with 0x04 unless 0x0001 holds 0x3A6D.
    // Moving status: 0x0900 (speed) and 0x0906 (32-bit position) change on every read.
    // The status side takes over these registers only once it is enabled (by EnableStatusSide
    // or the first call below); until then they are plain registers like any other.
    void EnableStatusSide();
    struct FaultRecord {
        std::uint16_t code = 0;
        std::uint32_t time = 0;       // 0.1 s
        std::int16_t speed = 0;       // rpm
        std::int16_t currentU = 0;    // 0.01 A
        std::int16_t currentV = 0;    // 0.01 A
        std::uint16_t busVoltage = 0; // 0.1 V
    };
    void RaiseFault(const FaultRecord &record, bool resettable = true);
    void RaiseFault(std::uint16_t code, bool resettable = true);
    // Latest first; ten entries, empty slots zero.
    std::vector<FaultRecord> FaultHistory() const;
    void SetDiWord(std::uint16_t word);
    void SetDoWord(std::uint16_t word);
    void SetStrictDiWrites(bool strict);
    void SetStatusMoving(bool moving);
    // ---- The mechanism analysis -------------------------------------------------------------
    // Registers 0x8940 (sample rate, default 16000), 0x8941 and 0x8942 (amplitude and offset,
    // r/min), 0x8943 (run control: 0 then 1 starts a run), 0x8944 (status: 0 while running, 3
    // when the record is complete, 4 on error; writing 0 clears it), 0x8945, 0x894A (commands;
    // 0x31 ends a run) and 0x8923 (the stop request: ends a run). A recorder stop (0x8963 = 2)
    // during a run ends it too and is counted. A run lasts 4096/rate seconds unless told
    // otherwise; its record (4096 int16 samples, tenths of r/min) is then in block memory.
    //
    // The record is the mechanism model's periodic steady state under the drive's excitation:
    // at 10000 Hz and above the sweep as the analysis page rebuilds it from amplitude and
    // offset; at 4000..8000 Hz a multisine of the analysis library's phase tables.
    struct MechanismModel {
        double resonanceHz = 0;  // 0: flat (unity gain at every frequency)
        double peakGain = 10;    // |H| at the resonance (linear); unity far below and above it
        double damping = 0.05;   // relative width of the resonance
    };
    enum class AnalysisFault { None, ErrorBit, NeverDone };
    void SetMechanismModel(const MechanismModel &model);
    void SetAnalysisFault(AnalysisFault fault);
    // Run length in seconds; negative: 4096/rate.
    void SetAnalysisSeconds(double seconds);
    bool AnalysisRunning() const;
    int AnalysisRunsStarted() const;
    // Runs that a recorder stop (0x8963 = 2) ended.
    int AnalysisRunsStoppedByRecorder() const;
    // The model's response H(f) and the record a run makes.
    static std::complex<double> MechanismResponse(const MechanismModel &model, double f);
    static std::vector<std::int16_t> MechanismRecord(const MechanismModel &model, int rate,
                                                     int amplitude, int offset);

    static std::uint16_t Crc16(const std::uint8_t *data, std::size_t length);
    // How often, in this process, a simulated drive's thread woke well past its time (to send,
    // or from a short wait for requests): the machine was too loaded for the drive to keep its
    // own timing.
    static int LateWakes();
    // Time `bytes` take on the line at `baud`, 11 bit times each.
    static std::chrono::microseconds WireTime(std::size_t bytes, int baud);
    // How long after sending a request of `requestBytes` the master gives up on its reply.
    static std::chrono::microseconds MasterPatience(std::uint8_t function,
                                                    std::size_t requestBytes, int baud);

private:
    using Clock = std::chrono::steady_clock;
    using Bytes = std::vector<std::uint8_t>;

    // A request taken off the line, waiting for its turn.
    struct Queued {
        Bytes frame;
        Clock::time_point received;
        long long serial = 0;  // its number among the requests logged
    };
    void Serve();
    // Reads what the line holds and queues the whole requests in it (serving thread only).
    void Intake();
    void TakeFrames(Clock::time_point received);
    // Answers one request; false when the device has gone or the drive stops.
    bool Handle(const Queued &request);
    // How much later than at once the next reply starts (under m_mx).
    Clock::duration NextLateness(std::uint8_t function, std::size_t requestBytes);
    Bytes BuildReply(const Bytes &frame);
    Bytes ErrorReply(std::uint8_t function, std::uint16_t code, ErrorForm form) const;
    Bytes BlockErrorReply(const Bytes &frame, std::uint16_t code) const;
    Access ReadLocked(std::uint16_t address);
    std::uint16_t WriteLocked(std::uint16_t address, std::uint16_t value);
    bool TakeFault(const Bytes &frame, Fault &fault);
    // Sleeps until `when` unless Stop is called; false when stopped. On the serving thread,
    // requests that come meanwhile are taken in (and answered later).
    bool SleepUntil(Clock::time_point when);
    // Writes to the line; answers when the write that carried the last byte began, which is
    // no later than the program could have seen that byte (a stamp taken after the write
    // would be late by however long this thread was kept from running).
    Clock::time_point WriteMaster(const Bytes &bytes);
    void CloseLine();

    mutable std::recursive_mutex m_mx;
    std::map<std::uint16_t, std::uint16_t> m_registers;
    std::map<std::uint16_t, ReadHook> m_readHooks;
    std::map<std::uint16_t, WriteHook> m_writeHooks;
    std::vector<Fault> m_faults;
    std::vector<Request> m_requests;
    Bytes m_blockMemory;
    int m_nBaud = kDefaultBaud;
    std::uint8_t m_byStation = kDefaultStation;
    ErrorForm m_errorForm = ErrorForm::Bit7;

    std::string m_strSlavePath;
    int m_master = -1;
    int m_slave = -1;  // kept open so that the line exists while the program is away
    int m_wake[2] = {-1, -1};
    bool m_bRunning = false;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;

    // Status, faults and digital I/O.
    void InstallStatusHooks();
    std::vector<FaultRecord> m_faultRing = std::vector<FaultRecord>(10);  // [0] latest
    bool m_bFaultResettable = true;
    std::uint16_t m_wDiWord = 0;
    std::uint16_t m_wDoWord = 0;
    bool m_bStrictDi = false;
    bool m_bStatusMoving = false;
    bool m_bStatusSide = false;
    long long m_nStatusReads = 0;

    // The recorder.
    void InstallRecorderHooks();
    std::uint16_t RecorderCommand(std::uint16_t value);
    void LatchSingleShot();
    void Stream();
    Bytes BuildRollFrame(long long index);
    int m_nRecWords = 4096;
    int m_nRingP = -1;
    int m_nRingT = -1;
    bool m_bStatusStuck = false;
    int m_nRecMode = 0;  // 0 idle, 1 single shot, 2 roll
    Clock::time_point m_tRecStart{};
    double m_dRecSeconds = 0;
    double m_dRecTimeShare = 1;
    long long m_nCaptureStart = 0;
    std::uint16_t m_wLatched[10] = {};  // 0x8959..0x8962 at the start
    int m_nRecFrequency = 16000;
    std::map<std::size_t, Fault> m_blockFaults;
    std::vector<RollFault> m_rollFaults;
    std::vector<FrameLogEntry> m_frameLog;
    std::FILE *m_frameLogFile = nullptr;
    Clock::time_point m_lineFreeAt{};  // the line carries earlier bytes until then
    std::condition_variable_any m_recWake;
    std::thread m_streamThread;
    long long m_nRollGeneration = 0;

    // The mechanism analysis.
    void InstallAnalysisHooks();
    void EndAnalysisRun();
    MechanismModel m_model;
    AnalysisFault m_anaFault = AnalysisFault::None;
    double m_dAnaSeconds = -1;
    bool m_bAnaRunning = false;
    bool m_bAnaDone = false;
    Clock::time_point m_tAnaStart{};
    double m_dAnaRunSeconds = 0;
    int m_nAnaRuns = 0;
    int m_nAnaRecorderStops = 0;

    // Marks the request being handled as answered at `lastWrite`.
    void MarkReplied(Clock::time_point lastWrite);
    long long m_nRequestsLogged = 0;  // since the start, ClearRequests included
    long long m_nRequestsCleared = 0;

    // Serving thread only.
    long long m_nHandling = -1;  // serial number of the request being handled
    Bytes m_rx;
    Clock::time_point m_lastRx{};
    std::deque<Queued> m_queue;

    // Late answers (under m_mx).
    LateAnswers m_late;
    std::minstd_rand m_lateRandom;
    long long m_nLateCount = 0;
};
