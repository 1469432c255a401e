#pragma once
// The sampling panel's rules that need no window: the 64-bit budget of the four channels and
// the drive slots it gives them, the data choice's slot assignment, the trigger words, the
// point counts of a capture, the time-per-division and scale lists, and the names of the DI/DO
// functions. The panel and its dialogs apply what these return.
#include "database/DBDataSelects.h"
#include "platform/WinTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

namespace scopepanel {

// The width a source list's item text claims: the number after its last '-' (leading digits;
// none give 0); 0 when the text has no '-'.
int SourceWidthOfText(const QString &text);

// The bit budget over the ticked channels and the drive slots it leads to.
struct ChannelBits {
    bool accepted = false;  // false: over 64 bits, nothing is to change
    int total = 0;          // bits of the ticked channels
    int layout = 0;         // 0, 1, 2 or 4
    int slot[5] = {0, 1, 2, 3, 4};  // slot 1..4: the channel (1..4) in it; [0] unused
    int width[5] = {};      // width of channel 1..4 (16, 32 or 0)
    bool turnOn[5] = {};    // channel 1..4 was ticked with a source: its group is switched on
};
// `ticked[k]` and `text[k]` for channels k = 0..3 (CH1..CH4); text "NULL" is no source.
ChannelBits CheckChannelBits(const bool ticked[4], const QString text[4]);

// The data choice (dialog 194): the ticked items of each width in list order, and the names
// the four slots held before. Refused (stored false) above 64 bits: nothing may change then.
struct ChselResult {
    bool stored = false;
    int layout = 0;
    QString names[4];
};
constexpr int kChselBudgetBits = 64;
ChselResult AssignChselSlots(const QStringList &ticked32, const QStringList &ticked16,
                             const QString before[4], int layoutBefore);

// Points of a single capture of `sampleWords` words in `layout`: 1000 × ⌊⌊words/4⌋/1000⌋,
// ×4 in layout 3, ×2 in layout 4 (1,000 / 4,000 / 2,000 with 4,096 words).
int CapturePointCount(int sampleWords, int layout);

// One entry of the trigger dialog's source list.
struct TriggerSource {
    int code = 0;
    int kind = 0;      // 0 value source, 1 bit source
    int hasLevel = 0;
    QString text;
};
// What the trigger dialog holds at confirming.
struct TriggerChoice {
    QString sourceA, sourceB;  // the chosen texts
    int posA = 0, posB = 0;    // list positions (0: "none")
    int condA = 0, condB = 0;
    int combination = 0;
    long long levelA = 0, levelB = 0;
    long long percent = 0;
    int pointCount = 1000;
};
enum class TriggerRefusal { None, LevelA, LevelB, Percent };
constexpr long long kTriggerLevelMin = -32768;
constexpr long long kTriggerLevelMax = 32767;
// The six words for registers 0x895D..0x8962; a level outside −32,768..32,767 or a percentage
// outside 0..100 is refused and leaves `words` alone.
TriggerRefusal MakeTriggerWords(const std::vector<TriggerSource> &list, const TriggerChoice &c,
                                WORD words[6]);
// The first entry with that text; the last entry when none has it; null for an empty list.
const TriggerSource *FindTriggerSource(const std::vector<TriggerSource> &list, const QString &text);
// The rows of a trigger description file (a header line, then "name<TAB>code<TAB>" rows).
// Rows with a field longer than 99 bytes are skipped; an unreadable file gives none.
std::vector<TriggerSource> ReadTriggerFile(const QString &path);
// The description file of the interface language; empty for a language without one.
QString TriggerFilePath();

// The time-per-division entries before any capture (19 of them) for period count n, and the
// one to select: the first beginning with base × n × pointsPerDiv, else entry 3 (and the points
// per division become 100).
QStringList TimeDivEntries(double baseMs, unsigned n);
int TimeDivSelection(const QStringList &entries, double baseMs, unsigned n, int &pointsPerDiv);
// After a capture of `points` points, `msPerPoint` apart: the whole-record text, then
// k × P × t / 10 for k = 100 (99 when `points` is a multiple of 100) down to 1, P = points/100
// (at least 1).
QStringList CaptureTimeDivEntries(int points, double msPerPoint, const QString &wholeText);
// Samples per division for a time per division; never below 1.
int SamplesPerDivision(double msPerDiv, double msPerPoint);
// The whole-record entry as stored in the settings and in capture files.
inline const QString kWholeRecord = QStringLiteral("all");
// True for a stored or shown time division that means the whole record: empty, "all", or the
// whole-record text of any of the program's languages.
bool IsWholeRecord(const QString &timeDiv, const QString &wholeText);

// The 32 value-per-division entries, "0.010" .. "200000000.000", and the one selected first.
const QStringList &ScaleEntries();
constexpr int kDefaultScaleEntry = 16;
// The entry of `entries` that begins with `value` as "%.3f"; -1 when none.
int FindScaleEntry(const QStringList &entries, double value);

// A DI/DO function's name: the description of the first option with that value, from after
// its first '-' (all of it without '-'), in the active language; empty when no option has the value.
QString IoFunctionName(const QList<CDBDataSelects> &options, int value);
// The options of the active axis's parameter of that code; empty without a project or code.
QList<CDBDataSelects> ActiveAxisOptions(const QString &code);
// Reads `count` function registers from `first` (every second address) on the calling worker,
// 10 attempts each, and names them from the options of parameter `code`. Once the link counts
// the drive absent, or `stop` is set, the rest stay unread (empty names).
QStringList ReadIoFunctionNames(WORD first, int count, const QString &code,
                                const std::atomic<bool> &stop);

// The base period label for a drive frequency f (Hz): the key's text, or the "other" text
// with 1,000,000 / f µs; empty for 0.
QString BasePeriodLabel(unsigned f);

}
