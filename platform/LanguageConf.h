#pragma once
// The translator of the program's fixed Chinese source texts, and the current language number
// (0 simplified Chinese, 1 traditional Chinese, 2 English).
//
// Its data file is UTF-8 text, one entry a line, cells separated by TAB:
//     source text <TAB> traditional Chinese <TAB> English
// Lines starting with '#' and blank lines are ignored. A line "[Name]" starts entries that apply
// only to the section (class name) "Name"; "[]" returns to entries for every section. In cells,
// "\t", "\n", "\r" and "\\" stand for TAB, LF, CR and a backslash. An empty cell means "no
// translation". A text without a translation comes back unchanged (simplified Chinese is the
// source language, so it always comes back unchanged).
//
// The objects are built explicitly (CreateLanguageLibrary, from main() in start-up order) and
// destroyed explicitly; before that GetSqlite() answers with a translator that has no data file
// and returns every text unchanged.
#include <QHash>
#include <QString>
#include <atomic>

namespace platform {

class CLanguageConf {
public:
    static CLanguageConf *GetTheOne();
    unsigned Get() const { return m_nLanguage.load(); }
    // Stores the number; kept across runs when a store file is set.
    void Set(unsigned nLanguage);
    // Ini file that keeps the number between runs (empty: memory only). Reads it at once.
    void SetStoreFile(const QString &path);
    const QString &StoreFile() const { return m_strStoreFile; }

    static constexpr unsigned kSimplified = 0;
    static constexpr unsigned kTraditional = 1;
    static constexpr unsigned kEnglish = 2;

private:
    CLanguageConf() = default;
    std::atomic<unsigned> m_nLanguage{0};
    QString m_strStoreFile;
};

class ISqlite {
public:
    virtual ~ISqlite() = default;
    // Non-zero when the data file is present.
    virtual int HasDataFile() = 0;
    virtual void Load() = 0;
    // Translation of a source text for a section (its own entries first, then the common ones).
    virtual QString Translate(const QString &section, const QString &source) = 0;
    virtual QString TranslateText(const QString &source) = 0;
    // Re-texting of a control whose text may already be a translation: the text is taken back
    // to its source first, then translated for the section. ctrlId -2 is the window caption.
    virtual QString TranslateControl(const QString &section, int ctrlId,
                                     const QString &currentText) = 0;
    // The source text whose translation (in any language) is `shown`; `shown` when none.
    virtual QString SourceText(const QString &shown) = 0;

    // Full path of the data file (for the start-up message when it is missing).
    QString m_strDataFile;
};

class CSqlite : public ISqlite {
public:
    explicit CSqlite(const QString &dataFile);
    int HasDataFile() override;
    void Load() override;
    QString Translate(const QString &section, const QString &source) override;
    QString TranslateText(const QString &source) override;
    QString TranslateControl(const QString &section, int ctrlId, const QString &currentText) override;
    QString SourceText(const QString &shown) override;

private:
    struct Entry {
        QString text[2];  // traditional, English
    };
    // Key: section + '\x1f' + source; the common entries use an empty section.
    static QString MakeKey(const QString &section, const QString &source);
    QString Lookup(const QString &section, const QString &source) const;

    QHash<QString, Entry> m_entries;
    QHash<QString, QString> m_sources;  // shown text -> source, first entry wins
    QHash<QString, QString> m_sectionSources;  // section + '\x1f' + shown -> source
};

// Builds the process-wide translator for `dataFile` and keeps the language number in
// "LangConf.ini" beside it. Replaces an earlier one.
void CreateLanguageLibrary(const QString &dataFile);
void DestroyLanguageLibrary();
// The process-wide translator; never null (a pass-through one before creation).
ISqlite *GetSqlite();

// The lookups most code needs.
inline QString TrText(const QString &src) { return GetSqlite()->TranslateText(src); }
inline QString TrSection(const QString &section, const QString &src)
{
    return GetSqlite()->Translate(section, src);
}

}

using platform::CLanguageConf;
using platform::CSqlite;
using platform::GetSqlite;
using platform::ISqlite;
using platform::TrSection;
using platform::TrText;
