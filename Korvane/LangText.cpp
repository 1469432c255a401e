#include "LangText.h"

#include "PathHelpers.h"
#include "platform/ControlId.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "platform/WindowText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>
#include <cstdio>
#include <map>
#include <memory>

namespace {

const QString kNotFound = QStringLiteral("Not found");
// The profile reads of the language texts take at most this many characters.
constexpr qsizetype kLangTextMax = 999;

struct LanguageChoice {
    const char *name;
    const char *file;
    QLocale::Language language;
    QLocale::Territory territory;
    const char *qtTranslation;  // Qt's own texts; none for English, Qt's source language
};

// In the order of the language numbers.
const LanguageChoice kLanguages[] = {
    {"ChineseS", "config/chinese_S.ini", QLocale::Chinese, QLocale::China, "qtbase_zh_CN"},
    {"ChineseT", "config/chinese_T.ini", QLocale::Chinese, QLocale::Taiwan, "qtbase_zh_TW"},
    {"EnglishUS", "config/english_US.ini", QLocale::English, QLocale::UnitedStates, nullptr},
};
constexpr unsigned kLanguageCount = sizeof(kLanguages) / sizeof(kLanguages[0]);

std::map<int, std::function<void()>> &Listeners()
{
    static std::map<int, std::function<void()>> listeners;
    return listeners;
}

// Qt's texts in the chosen language: the translator of the last choice, replaced.
void InstallQtTranslation(const char *name)
{
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (!name || !QCoreApplication::instance())
        return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QString::fromLatin1(name), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
}

// Walks the controls of a dialog: widgets with a control id are handed to `fn`; plain
// containers without one (frames, layouts' hosts) are looked through, as a dialog template
// would have held their controls directly.
template <typename Fn>
void ForEachControl(QWidget *parent, Fn &&fn)
{
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->isWindow())
            continue;
        const int id = platform::GetCtrlId(w);
        if (id != platform::kNoCtrlId)
            fn(w, id);
        else
            ForEachControl(w, fn);
    }
}

void TranslateControls(QWidget *parent, const IniFile &ini, const QString &section, int resId)
{
    ForEachControl(parent, [&](QWidget *w, int id) {
        const QString text = ini.Read(section, QStringLiteral("IDD%1_%2").arg(resId).arg(id))
                                 .left(kLangTextMax);
        if (!text.isEmpty())
            platform::SetWindowText(w, ReplaceLangEscapes(text.trimmed()));
    });
}

}

void CLangText::SetModuleDir(const QString &programDir)
{
    m_strModuleDir = programDir.endsWith(u'/') ? programDir : programDir + u'/';
    m_strSettingIni = m_strModuleDir + QStringLiteral("config/setting.ini");
}

CLangText &GetLangText()
{
    static CLangText state;
    return state;
}

QString DefaultLangDataFile()
{
    return GetModulePath(QStringLiteral("config/LangTable.tsv"));
}

bool InitLanguage(const std::function<void(const QString &message)> &showError)
{
    ISqlite *sqlite = GetSqlite();
    if (!sqlite->HasDataFile()) {
        const QString message = QStringLiteral("There is not %1 file").arg(sqlite->m_strDataFile);
        if (showError)
            showError(message);
        else
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        return false;
    }
    sqlite->Load();
    CLanguageConf *conf = CLanguageConf::GetTheOne();
    GetLangText().m_nLanguage = int(conf->Get());
    conf->Set(unsigned(GetLangText().m_nLanguage));
    return true;
}

void SetLanguage(const QString &language)
{
    CLangText &state = GetLangText();
    if (state.m_strModuleDir.isEmpty())
        state.SetModuleDir(GetProgramDir());
    QString name = language;
    if (name.isEmpty()) {
        name = IniFile::GetString(state.m_strSettingIni, QStringLiteral("Setting"),
                                  QStringLiteral("Language"), QStringLiteral("ChineseS"))
                   .left(kLangTextMax);
        if (name.isEmpty())
            return;
    }
    // The language files are read again from disk after a switch.
    if (!state.m_strLangFile.isEmpty())
        IniFile::DropCached(state.m_strLangFile);
    for (const LanguageChoice &c : kLanguages) {
        if (name == QLatin1String(c.name)) {
            state.m_strLangFile = state.m_strModuleDir + QLatin1String(c.file);
            IniFile::DropCached(state.m_strLangFile);
            QLocale::setDefault(QLocale(c.language, c.territory));
            break;
        }
    }
    state.m_strLanguage = name;
    IniFile::WriteString(state.m_strSettingIni, QStringLiteral("Setting"),
                         QStringLiteral("Language"), name);
}

QString LanguageNameOf(unsigned number)
{
    return number < kLanguageCount ? QString::fromLatin1(kLanguages[number].name) : QString();
}

int LanguageNumberOf(const QString &name)
{
    for (unsigned i = 0; i < kLanguageCount; ++i)
        if (name == QLatin1String(kLanguages[i].name))
            return int(i);
    return -1;
}

void SelectLanguage(unsigned number)
{
    if (number >= kLanguageCount)
        return;
    CLanguageConf::GetTheOne()->Set(number);
    GetLangText().m_nLanguage = int(number);
    SetLanguage(LanguageNameOf(number));
    InstallQtTranslation(kLanguages[number].qtTranslation);
    // A listener may add or remove listeners: the ones present now are told.
    std::vector<std::function<void()>> now;
    for (const auto &[id, fn] : Listeners())
        now.push_back(fn);
    for (const auto &fn : now)
        fn();
}

QString LanguageFilePath(const QString &path)
{
    static const char *const kSuffix[] = {"", "_T", "_E"};
    const unsigned number = CLanguageConf::GetTheOne()->Get();
    if (number == CLanguageConf::kSimplified || number >= kLanguageCount)
        return path;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype at = dot > slash ? dot : path.size();
    const QString own = path.left(at) + QLatin1String(kSuffix[number]) + path.mid(at);
    return QFileInfo::exists(own) ? own : path;
}

unsigned StoredLanguageChoice()
{
    CLangText &state = GetLangText();
    if (state.m_strModuleDir.isEmpty())
        state.SetModuleDir(GetProgramDir());
    const unsigned number = CLanguageConf::GetTheOne()->Get();
    const int named = LanguageNumberOf(
        IniFile::GetString(state.m_strSettingIni, QStringLiteral("Setting"), QStringLiteral("Language"), QString())
            .left(kLangTextMax));
    if (named < 0 || unsigned(named) == number || number != CLanguageConf::kSimplified)
        return number;
    return unsigned(named);
}

int AddLanguageListener(std::function<void()> fn)
{
    static int next = 0;
    Listeners().emplace(++next, std::move(fn));
    return next;
}

void RemoveLanguageListener(int id)
{
    Listeners().erase(id);
}

QString ReplaceLangEscapes(QString text)
{
    text.replace(QStringLiteral("\\t"), QStringLiteral("\t"));
    text.replace(QStringLiteral("\\r"), QStringLiteral("\r"));
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return text;
}

QString ReadLangIniString(const QString &section, const QString &key)
{
    const QString text =
        IniFile::GetString(GetLangText().m_strLangFile, section, key, kNotFound).left(kLangTextMax);
    return ReplaceLangEscapes(text);
}

QString LoadLangString(const QString &key)
{
    return ReadLangIniString(QStringLiteral("String"), key);
}

void TranslateDialog(QWidget *dlg, int dlgResId)
{
    if (!dlg)
        return;
    const IniFile ini(GetLangText().m_strLangFile);
    const QString section = QStringLiteral("DIALOG");
    const QString caption =
        ini.Read(section, QStringLiteral("IDD%1_DLG").arg(dlgResId)).left(kLangTextMax);
    if (!caption.isEmpty())
        dlg->setWindowTitle(caption.trimmed());
    TranslateControls(dlg, ini, section, dlgResId);
}

void TranslateViewControls(QWidget *view)
{
    if (!view)
        return;
    const IniFile ini(GetLangText().m_strLangFile);
    TranslateControls(view, ini, QStringLiteral("VIEW"), kScopeViewResId);
}

QString FillLangPlaces(const QString &format, const QStringList &values)
{
    QString out;
    int next = 0;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('%') && i + 1 < format.size()) {
            const QChar k = format[i + 1];
            if (k == QLatin1Char('%')) {
                out += c;
                ++i;
                continue;
            }
            if ((k == QLatin1Char('s') || k == QLatin1Char('d')) && next < values.size()) {
                out += values[next++];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

