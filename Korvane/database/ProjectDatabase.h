#pragma once
// The parameter content the program works with, and every operation on database files:
// loading the default parameter database for a product, and new, open, save and compact
// of project files (".KVF"). Each operation opens its files for its own duration only.
//
// New and save build the project in a temporary file beside the target, fill it in one
// transaction and rename it over the target only when everything succeeded: a failed
// call leaves the old file and the content in use untouched.

#include "database/DataProject.h"
#include "database/DbServices.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The texts the user is shown (Chinese source texts).
inline constexpr const char kTextDefaultDbReadError[] = "默认参数文件读取异常！";
inline constexpr const char kTextDefaultDbVersionMismatch[] = "默认参数文件跟程序版本不匹配！";
inline constexpr const char kTextNewFileError[] = "新建参数文件读取异常！";
inline constexpr const char kTextFileReadError[] = "文件读取异常！";
inline constexpr const char kTextFileTooNew[] = "文件为新版本，请升级程序！";

// The database format this program reads and writes.
inline constexpr const char kDbFileVersion[] = "1.0.0";

class CProjectDatabase {
public:
    // Uses the default parameter database beside the program (DefaultParamsDbPath()).
    CProjectDatabase();
    explicit CProjectDatabase(const QString& defaultDbPath);

    CDataProject m_Project;                        // the content in use
    QList<CDBDataProducts> m_arrDefaultProducts;   // every product of the default database
    int m_nCurDeviceID = 1;                        // the device the program works with
    int m_nProductID = 1;                          // that device's product
    QString m_strUser;
    QString m_strPassword;
    QString m_strDefaultDbPath;
    int m_bProjectOpen = 0;       // 1 after a project was opened or created
    QString m_strProjectPath;     // the project opened or created last

    // Opens the file: read only when shared (the default database is never written),
    // locked for this connection when exclusive.
    bool Connect(CADODataBase& db, const QString& path, const QString& user,
                 const QString& password, bool exclusive);

    // Fills m_arrDefaultProducts; a message box on failure.
    bool LoadProducts();
    // The product whose model equals the text (trimmed, without regard to case); -1 when
    // none does or the text is empty.
    int FindProductID(const QString& model) const;

    // Fills out with the default database's content for the product: its groups and, as
    // device 1, the parameters of each of its axes with their options. A message box on
    // failure; a product without parameters fails. The caller installs the result as
    // m_Project and sets m_nProductID.
    bool LoadDefaultDatabase(CDataProject& out, int productId);
    // Creates the project file for the requested devices and makes it the content in use.
    bool NewProject(const CNewProjectInfo& info);
    // Reads a project file into the content in use.
    bool OpenProject(const QString& path);
    // Writes the content in use, current values included, to a project file.
    bool SaveProject(const QString& path);
    // The content differs from what was last opened, created, saved or loaded as the default
    // (MarkUnchanged): closing or replacing it would lose work. False before any baseline.
    bool HasUnsavedChanges() const;
    // Takes the content in use as the one the user has nothing to lose of.
    void MarkUnchanged();
    // Compacts a database file in place; reports nothing to the user.
    bool CompactFile(const QString& path);

    static bool IsFileExist(const QString& path);
    // The part after the last separator, or the whole path.
    static QString GetFileNameOfPath(const QString& path);

private:
    QByteArray Fingerprint() const;
    std::optional<QByteArray> m_baseline;

    // Opens the default database and reads its head: a system file of this format.
    bool OpenDefaultDb(CADODataBase& db, CDBDataFileHead& head, DbMessageKind kind);
    // Makes the content the one in use, as a project opened from the path.
    bool Install(const CDataProject& content, const QString& path, int productId);
    bool Fail(DbMessageKind kind, const char* text, const QString& detail = {});
    bool WriteProductsMissingFromDefault(CADODataBase& file, const CDataProject& content,
                                         const std::set<int>& products, QString& detail);
    bool WriteProjectFile(CADODataBase& defaultDb, const QString& target,
                          const CDataProject& content, const std::set<int>& products,
                          QString& detail);
};
