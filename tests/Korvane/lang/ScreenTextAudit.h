#pragma once
// Looks at what a window shows in a language: every visible text (captions, titles, tab and
// header texts, combo entries, cells, tool tips, menu items) must be of that language, and every
// caption must fit the room its widget gives it.
//
// Of that language: in English no CJK character at all; in traditional Chinese no character
// that only simplified Chinese writes (one that GB2312 has and BIG5 lacks); simplified Chinese,
// the source language, is only measured.
// Fits: the text's width by the widget's font against the widget's contents rectangle (the
// style's text rectangle for buttons, tabs and header sections).
#include <QString>
#include <QStringList>

#include <functional>
#include <set>
#include <vector>

class QAbstractItemView;
class QMenu;
class QWidget;

class ScreenTextAudit
{
public:
    enum class Language { Simplified, Traditional, English };
    explicit ScreenTextAudit(Language language) : m_language(language) {}

    // Every visible widget under `root` (itself included).
    void Walk(QWidget *root, const QString &where);
    // The items of a menu and of its submenus.
    void WalkMenu(const QMenu *menu, const QString &where);
    // A text shown somewhere else (a message box, a desktop alert, a file dialog).
    void CheckText(const QString &text, const QString &where);

    // A text that may show anything: data of the drive or of a user's file.
    std::function<bool(const QString &text)> m_isData;
    // Names of the user's project quoted inside a text of the program: left out of the check.
    QStringList m_dataNames;

    const QStringList &Findings() const { return m_findings; }

    // The rule of the language for one character.
    static bool WrongCharacter(Language language, char32_t c);
    static bool SimplifiedOnly(char32_t c);

private:
    void Visit(QWidget *w, const QString &where);
    void CheckFit(const QWidget *w, const QString &text, int room, const QString &where);
    void WalkItems(const QAbstractItemView *view, const QString &where);
    void Report(const QString &where, const QString &what, const QString &text);

    Language m_language;
    QStringList m_findings;
    std::set<QString> m_reported;
};
