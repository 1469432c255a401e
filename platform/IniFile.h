#pragma once
// Profile (ini) files with the semantics the program was written against:
//  - sections and keys compare case-insensitively; the first matching section, and in it the
//    first matching key, wins;
//  - values are trimmed, and one pair of enclosing quotes (" or ') is stripped;
//  - a missing file, section or key gives the caller's default;
//  - integers read the leading digits of the value ("12abc" is 12, "abc" is 0), an empty
//    value gives the default;
//  - a write changes only the one line it concerns, appends a new key at the end of its
//    section and a new section at the end of the file, creates a missing file but never a
//    missing directory, and replaces the file through a temporary file and a rename.
// Files are UTF-8 (a byte-order mark is tolerated); lines untouched by a write keep their bytes.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace platform {

class IniFile {
public:
    IniFile() = default;
    // Loads the file at once; a missing file gives an empty profile bound to that path.
    explicit IniFile(const QString &path);

    // Re-reads the file. False (and an empty profile) when it does not exist or cannot be read.
    bool Load(const QString &path);
    // Writes the profile back to its path. False when the directory is missing or the write
    // fails; the old file is then untouched.
    bool Save() const;

    const QString &Path() const { return m_path; }
    bool HasSection(const QString &section) const;
    bool HasKey(const QString &section, const QString &key) const;
    QString Read(const QString &section, const QString &key, const QString &def = QString()) const;
    int ReadInt(const QString &section, const QString &key, int def) const;
    // Section names, and key names of a section, in file order (first spelling of duplicates).
    QStringList SectionNames() const;
    QStringList KeyNames(const QString &section) const;

    // Changes the profile in memory; Save() writes it.
    void Write(const QString &section, const QString &key, const QString &value);
    void RemoveKey(const QString &section, const QString &key);
    void RemoveSection(const QString &section);

    // One-shot forms: each reads (or reads, changes and writes) the file. Reads parse a file
    // once and keep it, by path, for as long as its modification time and size stay the same
    // (a file edited behind the cache is read again); every write through this class drops
    // the file's entry.
    static QString GetString(const QString &file, const QString &section, const QString &key,
                             const QString &def = QString());
    static int GetInt(const QString &file, const QString &section, const QString &key, int def);
    static bool WriteString(const QString &file, const QString &section, const QString &key,
                            const QString &value);
    // Writes the number formatted "%d".
    static bool WriteInt(const QString &file, const QString &section, const QString &key, int value);
    static bool DeleteKey(const QString &file, const QString &section, const QString &key);
    static bool DeleteSection(const QString &file, const QString &section);

    // Forgets the parsed copy of one file, or of all (a language switch).
    static void DropCached(const QString &file);
    static void DropAllCached();

    // Paths stored by the program's Windows heritage use backslashes; inside we use '/'.
    static QString NormalizePath(const QString &path);
    // GetString with the value's backslashes turned into '/'.
    static QString GetPath(const QString &file, const QString &section, const QString &key,
                           const QString &def = QString());

    // The leading-number rule of ReadInt: optional sign, an optional 0x/0o/0b base prefix,
    // then digits up to the first other character; the default only for an empty text.
    static int ParseLeadingInt(const QString &text, int def);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray raw;  // without its line end
        QByteArray eol;  // "\r\n", "\n" or empty for a last line without one
        Kind kind = Kind::Other;
        QString name;    // section name or key name, trimmed
        QString value;   // key value, trimmed, quotes stripped
    };

    static void Classify(Line &line, bool first);
    static std::shared_ptr<const void> CachedProfile(const QString &file);
    int FindSection(const QString &section) const;            // line index or -1
    int FindKey(int sectionLine, const QString &key) const;   // line index or -1
    int SectionEnd(int sectionLine) const;                    // index of the next section or size
    QByteArray NewLineEnd() const;

    QString m_path;
    std::vector<Line> m_lines;
};

}

using platform::IniFile;
