#pragma once
// Texts looked up at run time: keyed texts ("IDS_SysParam_15") and dialog captions from the
// active language file ("config/chinese_S.ini", "config/chinese_T.ini" or
// "config/english_US.ini", chosen by "config/setting.ini"), and the start-up check of the
// translator of fixed source texts (platform/LanguageConf.h).
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// The language state of the process. The application object owns the start-up that fills it
// and forwards its members here; tests set the members directly.
class CLangText {
public:
    QString m_strLangFile;     // full path of the active language file; empty: none chosen
    QString m_strLanguage;     // language name as "config/setting.ini" holds it
    QString m_strSettingIni;   // full path of "config/setting.ini"
    QString m_strModuleDir;    // program directory with a trailing '/'
    int m_nLanguage = 0;       // the translator's language number, read at start-up
    QString m_strLangSection = QStringLiteral("CKorvaneApp");

    // m_strModuleDir = programDir + "/", m_strSettingIni = that + "config/setting.ini".
    void SetModuleDir(const QString &programDir);
};

// The process-wide language state.
CLangText &GetLangText();

// Where the translator's data file lives: program directory + "/config/LangTable.tsv".
QString DefaultLangDataFile();

// Exit code of a start-up whose language check failed.
constexpr int kLanguageSetupExitCode = 2;

// Start-up check of the translator (GetSqlite()): when its data file is missing, hands
// "There is not <file> file" to `showError` (stderr when none is given) and returns false:
// the caller ends the program with kLanguageSetupExitCode. Otherwise loads it, reads the
// language number into m_nLanguage and hands it back to the language configuration.
bool InitLanguage(const std::function<void(const QString &message)> &showError = {});

// Chooses the language file. An empty name is read from m_strSettingIni, section "Setting", key
// "Language" (default "ChineseS"). "ChineseS", "ChineseT" and "EnglishUS" (case-sensitive)
// select their file and the matching default locale; any other name leaves the file as it was.
// The name is kept in m_strLanguage and written back to the same key.
void SetLanguage(const QString &language);

// The user's language (0 simplified Chinese, 1 traditional Chinese, 2 English: the order of the
// settings sheet's list), one choice for everything at once: the translator's number (kept in
// "LangConf.ini"), the language file of keyed texts and its name (kept in "config/setting.ini",
// through SetLanguage), the locale, Qt's own texts (standard buttons, file dialogs) and the
// per-language data files, whose readers look at m_strLanguage. Those that keep such data read
// ahead register with AddLanguageListener and are told after each choice. A number out of
// range changes nothing.
void SelectLanguage(unsigned number);
// The choice the stored files name, for the start: the two stores always agree once a choice was
// made here; files from before the two were one choice may differ, and then the one that names
// a language other than the default (simplified Chinese) was the user's, the translator's
// number first.
unsigned StoredLanguageChoice();
// "ChineseS", "ChineseT", "EnglishUS" for 0, 1, 2; empty otherwise. -1 for an unknown name.
QString LanguageNameOf(unsigned number);
int LanguageNumberOf(const QString &name);
// A file made for each language (a picture with texts): "name_T.ext" for traditional Chinese,
// "name_E.ext" for English beside the simplified "name.ext", when that file is there; `path`
// itself otherwise (and for simplified Chinese).
QString LanguageFilePath(const QString &path);
// Runs `fn` after every SelectLanguage until the returned id is removed.
int AddLanguageListener(std::function<void()> fn);
void RemoveLanguageListener(int id);

// Text of `key` in `section` of the active language file, "Not found" when absent, with the
// escapes "\t", "\r", "\n" turned into TAB, CR, LF.
QString ReadLangIniString(const QString &section, const QString &key);
// ReadLangIniString("String", key).
QString LoadLangString(const QString &key);
// Fills a language text's "%s" and "%d" places in order with the given values ("%%" is one
// '%'). The texts come from files the user may edit, so they never reach printf.
QString FillLangPlaces(const QString &format, const QStringList &values);
// The escapes of the language files turned into their characters.
QString ReplaceLangEscapes(QString text);

// Caption from section "DIALOG" key "IDD<id>_DLG", and the text of each child control from
// key "IDD<id>_<control id>" (platform::GetCtrlId). Absent or empty keys leave texts alone.
void TranslateDialog(QWidget *dlg, int dlgResId);
// The oscilloscope view's controls from section "VIEW", keys "IDD185_<control id>".
void TranslateViewControls(QWidget *view);
constexpr int kScopeViewResId = 185;
