#pragma once
// The drive's nine digital inputs and five digital outputs as the DI/DO pages see them: the row
// record of one line, the register list that reads and writes the lines' mode and function
// parameters, the rows built from the parameter table, the status word read and the forced
// words, and the connector labels of the hardware variants.
//
// Every register element knows its line and whether it is the mode or the function parameter,
// so a parameter missing from the table leaves a gap in its own line and never moves the
// values of the lines behind it onto the wrong rows.
#include "database/DBDataParameter.h"
#include "platform/WinTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

constexpr int kDiLineCount = 9;
constexpr int kDoLineCount = 5;

// Status and force registers.
constexpr WORD kRegDiState = 0x0925;
constexpr WORD kRegDoState = 0x0926;
constexpr WORD kRegForceEnable = 0x080F;
constexpr WORD kRegForcedDi = 0x0810;
constexpr WORD kRegForcedDo = 0x0811;
constexpr WORD kRegWriteEnable = 0x0001;
constexpr WORD kWriteEnableCode = 0x3A6D;

enum class DiDoKind { Mode, Function };

class CDiDoItem
{
public:
    BYTE bState = 0;            // on/off as last read, or the state chosen for forcing
    bool bStateKnown = false;   // false: no read of the state has succeeded yet, or the last failed
    std::int32_t nModeValue = -1;      // -1: the table has no mode parameter for this line
    std::int32_t nFunctionValue = -1;
    QString strName;            // connector label
    std::map<std::int32_t, QString> mapModeOptions;      // value -> source text
    std::map<std::int32_t, QString> mapFunctionOptions;
};

class CDiDoRegister
{
public:
    DWORD dwWidth = 16;
    DWORD dwAddress = 0;
    std::int32_t nValue = 0;    // the value to write (settings page)
    int nLine = -1;             // row index (0 = line 1)
    DiDoKind kind = DiDoKind::Mode;
};

// The four lists a DI/DO page keeps.
struct CDiDoLists
{
    std::vector<CDiDoItem> arrDi = std::vector<CDiDoItem>(kDiLineCount);
    std::vector<CDiDoItem> arrDo = std::vector<CDiDoItem>(kDoLineCount);
    std::vector<CDiDoRegister> regDi;
    std::vector<CDiDoRegister> regDo;
};

// The line of a P01 code: DI line (0..8) for "P0107".."P0118", DO line (0..4) for
// "P0128".."P0131"; false for any other code.
bool DiDoLineOfCode(const QString &code, bool *pIsDo, int *pLine, DiDoKind *pKind);

// Fresh rows and register lists from the parameter table (null: rows as new, lists empty). A
// mode value and a function value both start at the record's current value.
void BuildDiDoRows(const QList<CDBDataParameter> *table, CDiDoLists &lists);
// The parameter table of the connected drive (null without one).
const QList<CDBDataParameter> *ActiveParameterTable();
// The connected drive's product id.
int ActiveProductId();

// Products 4 and 5 have neither DI7 nor DO5.
bool IsCompactProduct(int productId);
// The connector label of a line for a product; empty where the product lacks the line.
QString ConnectorLabel(bool isDo, int line, int productId);
// Writes the labels of the product into the rows; the lines a product lacks get blanks
// (8 spaces for DI7, 13 for DO5).
void SetConnectorLabels(CDiDoLists &lists, int productId);

// A value's option text (translated); empty when the value has none.
QString DiDoOptionText(const std::map<std::int32_t, QString> &options, std::int32_t value);
// The drop-down offered for a line: the texts of the values 0 .. count-1.
QStringList DiDoOptionList(const std::map<std::int32_t, QString> &options);
// The first value, in ascending order, whose text is `text`; false when none is.
bool DiDoOptionValue(const std::map<std::int32_t, QString> &options, const QString &text, std::int32_t *pValue);

// Bit i of the word to line i (the state becomes known).
void ApplyStateWord(std::vector<CDiDoItem> &rows, WORD word);
// Marks every line's state as not known (a failed read; the values stay).
void MarkStatesUnknown(std::vector<CDiDoItem> &rows);
// The forced word: bit i = 1 when line i is to be on, for inputs and outputs alike.
WORD ForcedWord(const std::vector<CDiDoItem> &rows);
WORD ForceEnableWord(bool bForceDi, bool bForceDo);

// Checks a reply to the status read (station, 0x23, one register) as the codec checks its
// replies: one stray leading byte is allowed (an even count), then the CRC over the frame,
// the drive's error forms, the station, the function and the length. True with the value;
// false with the error code (0x1002 for a bad or foreign reply, else the drive's code).
bool ParseStatusReply(const BYTE *reply, DWORD count, BYTE station, int *pValue, DWORD *pError);
// The status read exchange, built by hand, up to `attempts` times; true with the value.
bool ReadStatusRegister(WORD address, int *pValue, int attempts = 3);

// Reads the register list into the rows, `attempts` per element; a failed element leaves its
// field as it was. `progress` (may be empty) gets j + 1 after element j. Answers the number
// of elements that failed. Stops early (the rest failed) when *pStop turns true.
int ReadDiDoRegisters(const std::vector<CDiDoRegister> &regs, std::vector<CDiDoItem> &rows, int attempts,
                      const std::atomic<bool> *pStop = nullptr, const std::function<void(int)> &progress = {});
