#include "database/ADORecordset.h"

#include <QDateTime>
#include <sqlite3.h>

#include <cmath>
#include <ctime>
#include <limits>

namespace {

int Narrow16(std::int64_t v)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF));
}

std::int32_t Narrow32(std::int64_t v)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v & 0xFFFFFFFF));
}

std::int64_t Truncate(double d)
{
    if (!std::isfinite(d))
        return 0;
    constexpr double lo = double(std::numeric_limits<std::int64_t>::min());
    constexpr double hi = double(std::numeric_limits<std::int64_t>::max());
    if (d <= lo)
        return std::numeric_limits<std::int64_t>::min();
    if (d >= hi)
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(d);
}

std::int64_t ParseNumber(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    const qlonglong i = t.toLongLong(&ok);
    if (ok)
        return i;
    const double d = t.toDouble(&ok);
    return ok ? Truncate(d) : 0;
}

enum class Kind { Null, Integer, Real, Text, Blob };

Kind KindOf(sqlite3_stmt* stmt, int col)
{
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_NULL:
        return Kind::Null;
    case SQLITE_INTEGER:
        return Kind::Integer;
    case SQLITE_FLOAT:
        return Kind::Real;
    case SQLITE_TEXT:
        return Kind::Text;
    default:
        return Kind::Blob;
    }
}

QString DeclaredType(sqlite3_stmt* stmt, int col)
{
    const char* t = sqlite3_column_decltype(stmt, col);
    return t ? QString::fromUtf8(t).toUpper() : QString();
}

bool IsBooleanColumn(sqlite3_stmt* stmt, int col)
{
    return DeclaredType(stmt, col).startsWith(QLatin1String("BOOL"));
}

bool IsDateColumn(sqlite3_stmt* stmt, int col)
{
    const QString t = DeclaredType(stmt, col);
    return t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME"));
}

QString ColumnText(sqlite3_stmt* stmt, int col)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, col));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt, col)) : QString();
}

// The stored date as calendar fields, or an invalid value.
QDateTime StoredDate(sqlite3_stmt* stmt, int col)
{
    switch (KindOf(stmt, col)) {
    case Kind::Integer:
        return QDateTime::fromSecsSinceEpoch(sqlite3_column_int64(stmt, col), Qt::UTC);
    case Kind::Real: {
        const double julian = sqlite3_column_double(stmt, col);
        const double msecs = (julian - 2440587.5) * 86400000.0;
        return QDateTime::fromMSecsSinceEpoch(Truncate(std::round(msecs)), Qt::UTC);
    }
    case Kind::Text: {
        const QString text = ColumnText(stmt, col).trimmed();
        for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss",
                                   "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss.zzz",
                                   "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
            const QDateTime dt = QDateTime::fromString(text, QLatin1String(format));
            if (dt.isValid())
                return dt;
        }
        return {};
    }
    default:
        return {};
    }
}

QString FormatDate(const QDateTime& dt, const QString& format)
{
    std::tm tm{};
    const QDate d = dt.date();
    const QTime t = dt.time();
    tm.tm_year = d.year() - 1900;
    tm.tm_mon = d.month() - 1;
    tm.tm_mday = d.day();
    tm.tm_hour = t.hour();
    tm.tm_min = t.minute();
    tm.tm_sec = t.second();
    tm.tm_wday = d.dayOfWeek() % 7;
    tm.tm_yday = d.dayOfYear() - 1;
    tm.tm_isdst = -1;
    const QByteArray fmt =
        (format.isEmpty() ? QStringLiteral("%Y-%m-%d %H:%M:%S") : format).toUtf8();
    char buffer[512];
    const std::size_t n = std::strftime(buffer, sizeof buffer, fmt.constData(), &tm);
    return QString::fromUtf8(buffer, int(n));
}

}  // namespace

CADORecordset::CADORecordset(CADODataBase* pDb)
    : m_pDb(pDb), m_pConnection(pDb ? pDb->GetActiveConnection() : nullptr)
{
}

CADORecordset::~CADORecordset()
{
    Close();
}

bool CADORecordset::Fail(int code, const QString& description)
{
    m_dwLastError = static_cast<std::uint32_t>(code);
    m_strLastError = QStringLiteral("Query = ") + m_strQuery + QLatin1Char('\n') +
                     FormatDbError("CADORecordset", m_dwLastError,
                                   QString::fromUtf8(sqlite3_errstr(code & 0xFF)),
                                   QStringLiteral("sqlite3"), description);
    return false;
}

bool CADORecordset::Open(const QString& query, const std::vector<DbValue>& params)
{
    Close();
    if (!query.isEmpty())
        m_strQuery = query;
    // The database may have been reopened since this recordset was made.
    if (m_pDb)
        m_pConnection = m_pDb->GetActiveConnection();
    int lead = 0;
    while (lead < m_strQuery.size() && m_strQuery[lead].isSpace())
        ++lead;
    m_strQuery.remove(0, lead);
    m_bFailed = false;
    m_bEOF = true;
    if (!m_pConnection)
        return false;

    const QByteArray utf8 = m_strQuery.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_pConnection, utf8.constData(), int(utf8.size()), &stmt, nullptr) !=
            SQLITE_OK ||
        !stmt) {
        sqlite3_finalize(stmt);
        return false;
    }
    if (BindDbValues(stmt, params) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return false;
    }
    m_pStmt = stmt;
    m_columns.clear();
    for (int i = 0, n = sqlite3_column_count(stmt); i < n; ++i)
        m_columns << QString::fromUtf8(sqlite3_column_name(stmt, i));
    if (!Step()) {
        Close();
        m_bFailed = true;
        return false;
    }
    return true;
}

bool CADORecordset::IsOpen() const
{
    return m_pStmt && m_pDb && m_pDb->GetActiveConnection() == m_pConnection && m_pConnection;
}

void CADORecordset::Close()
{
    if (m_pStmt) {
        sqlite3_finalize(m_pStmt);
        m_pStmt = nullptr;
    }
    m_bEOF = true;
}

bool CADORecordset::Step()
{
    const int rc = sqlite3_step(m_pStmt);
    if (rc == SQLITE_ROW) {
        m_bEOF = false;
        return true;
    }
    m_bEOF = true;
    if (rc == SQLITE_DONE)
        return true;
    m_bFailed = true;
    return Fail(sqlite3_extended_errcode(m_pConnection),
                QString::fromUtf8(sqlite3_errmsg(m_pConnection)));
}

bool CADORecordset::MoveNext()
{
    if (!m_pStmt || m_bEOF) {
        m_bFailed = true;
        return Fail(SQLITE_MISUSE, QStringLiteral("there is no current row"));
    }
    return Step();
}

int CADORecordset::FindColumn(const QString& name)
{
    if (!m_pStmt || m_bEOF) {
        Fail(SQLITE_MISUSE, QStringLiteral("there is no current row"));
        return -1;
    }
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    Fail(SQLITE_ERROR, QStringLiteral("no column named ") + name);
    return -1;
}

bool CADORecordset::GetNumber(const QString& name, std::int64_t& number, bool& isBoolean)
{
    const int col = FindColumn(name);
    if (col < 0)
        return false;
    isBoolean = false;
    switch (KindOf(m_pStmt, col)) {
    case Kind::Null:
        number = 0;
        return true;
    case Kind::Integer:
        number = sqlite3_column_int64(m_pStmt, col);
        if (IsBooleanColumn(m_pStmt, col)) {
            isBoolean = true;
            number = number != 0;
        }
        return true;
    case Kind::Real:
        number = Truncate(sqlite3_column_double(m_pStmt, col));
        return true;
    case Kind::Text:
        number = ParseNumber(ColumnText(m_pStmt, col));
        return true;
    case Kind::Blob:
        break;
    }
    return Fail(SQLITE_MISMATCH, QStringLiteral("column ") + name + QStringLiteral(" holds no number"));
}

bool CADORecordset::GetFieldValue(const QString& name, long& value)
{
    std::int32_t narrow = 0;
    if (!GetFieldValue32(name, narrow))
        return false;
    value = narrow;
    return true;
}

bool CADORecordset::GetFieldValue32(const QString& name, std::int32_t& value)
{
    std::int64_t number = 0;
    bool isBoolean = false;
    if (!GetNumber(name, number, isBoolean))
        return false;
    value = isBoolean ? std::int32_t(number) : Narrow32(number);
    return true;
}

bool CADORecordset::GetFieldValue(const QString& name, int& value)
{
    std::int64_t number = 0;
    bool isBoolean = false;
    if (!GetNumber(name, number, isBoolean))
        return false;
    value = isBoolean ? int(number) : Narrow16(number);
    return true;
}

bool CADORecordset::GetFieldValue(const QString& name, QString& value, const QString& dateFormat)
{
    const int col = FindColumn(name);
    if (col < 0)
        return false;
    const Kind kind = KindOf(m_pStmt, col);
    if (kind == Kind::Null) {
        value.clear();
        return true;
    }
    if (kind == Kind::Blob || IsBooleanColumn(m_pStmt, col)) {
        value.clear();
        return Fail(SQLITE_MISMATCH, QStringLiteral("column ") + name + QStringLiteral(" holds no text"));
    }
    if (IsDateColumn(m_pStmt, col)) {
        const QDateTime dt = StoredDate(m_pStmt, col);
        if (dt.isValid()) {
            value = FormatDate(dt, dateFormat);
            return true;
        }
    }
    switch (kind) {
    case Kind::Integer:
        value = QString::number(sqlite3_column_int64(m_pStmt, col));
        break;
    case Kind::Real:
        value = QString::asprintf("%.20g", sqlite3_column_double(m_pStmt, col));
        break;
    default:
        value = ColumnText(m_pStmt, col);
        break;
    }
    return true;
}
