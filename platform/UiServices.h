#pragma once
// Every message box, question, file or colour dialog, desktop alert and shell open of the program
// goes through the current UI services. The calls may come from any thread: they run on the GUI
// thread and the calling worker waits for the answer. Tests install ScriptedUiServices.
// A caller holding the link lock is refused at once (platform/BlockingCheck.h): a box answers
// IDCANCEL, a dialog nothing, a shell open false.
#include "platform/ColorRef.h"
#include "platform/Messages.h"

#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// Message box types (buttons, icon, default button), combined with '|'.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONASTERISK = 0x40;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr UINT MB_DEFBUTTON1 = 0x000;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;
constexpr UINT MB_DEFMASK = 0xF00;

// Message box answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

namespace platform {

struct FileDialogRequest
{
    bool save = false;  // a save dialog, else an open dialog
    QString title;
    // Filters as the program writes them: "Text(*.txt)|*.txt|All(*.*)|*.*||".
    QString filter;
    QString defaultExt;  // without the dot; added when the chosen name has no extension
    QString initialName;
    QString initialDir;
    bool overwritePrompt = true;
    bool fileMustExist = false;
    QWidget *owner = nullptr;
};

struct DesktopAlertRequest
{
    int seconds = 2;
    QString text;
    COLORREF textColour = RGB(255, 0, 0);
    QString caption;
    QPoint pos;  // top-left corner on the screen
    // Builds the popup window on the GUI thread (the window closes itself); when empty the
    // services show a plain popup of their own.
    std::function<QWidget *()> makeWindow;
};

class UiServices
{
public:
    virtual ~UiServices() = default;

    // Answers IDOK, IDCANCEL, IDYES, ... for the button pressed.
    int MessageBox(const QString &text, const QString &caption, UINT type = MB_OK,
                   QWidget *owner = nullptr);
    // A Yes/No question with the question icon; true for Yes.
    bool AskYesNo(const QString &text, const QString &caption, QWidget *owner = nullptr);
    // The chosen path, or nothing when the user cancelled.
    std::optional<QString> FileDialog(const FileDialogRequest &request);
    std::optional<COLORREF> ChooseColour(COLORREF initial, QWidget *owner = nullptr);
    void DesktopAlert(const DesktopAlertRequest &request);
    // Opens a file, folder or URL with the desktop's handler; false when that failed.
    bool ShellOpen(const QString &pathOrUrl);

protected:
    virtual int DoMessageBox(const QString &text, const QString &caption, UINT type, QWidget *owner) = 0;
    virtual std::optional<QString> DoFileDialog(const FileDialogRequest &request) = 0;
    virtual std::optional<COLORREF> DoChooseColour(COLORREF initial, QWidget *owner) = 0;
    virtual void DoDesktopAlert(const DesktopAlertRequest &request) = 0;
    virtual bool DoShellOpen(const QString &pathOrUrl) = 0;
};

// The real services on Qt widgets.
class QtUiServices : public UiServices
{
protected:
    int DoMessageBox(const QString &text, const QString &caption, UINT type, QWidget *owner) override;
    std::optional<QString> DoFileDialog(const FileDialogRequest &request) override;
    std::optional<COLORREF> DoChooseColour(COLORREF initial, QWidget *owner) override;
    void DoDesktopAlert(const DesktopAlertRequest &request) override;
    bool DoShellOpen(const QString &pathOrUrl) override;
};

// Services for tests: record every call and answer from queues given beforehand. With an empty
// queue a message box answers its first button, a dialog is cancelled, shell open succeeds.
class ScriptedUiServices : public UiServices
{
public:
    enum class Kind { MessageBox, FileDialog, ChooseColour, DesktopAlert, ShellOpen };
    struct Call
    {
        Kind kind;
        QString text;  // message text, alert text or shell path
        QString caption;
        UINT type = 0;
        FileDialogRequest file;
        DesktopAlertRequest alert;
        COLORREF colour = 0;
        bool onGuiThread = false;
    };

    void PushAnswer(int id);
    void PushFile(std::optional<QString> path);
    void PushColour(std::optional<COLORREF> colour);
    void SetShellOpenResult(bool ok);
    std::vector<Call> Calls() const;
    void ClearCalls();

protected:
    int DoMessageBox(const QString &text, const QString &caption, UINT type, QWidget *owner) override;
    std::optional<QString> DoFileDialog(const FileDialogRequest &request) override;
    std::optional<COLORREF> DoChooseColour(COLORREF initial, QWidget *owner) override;
    void DoDesktopAlert(const DesktopAlertRequest &request) override;
    bool DoShellOpen(const QString &pathOrUrl) override;

private:
    void Record(Call c);
    mutable std::mutex m_lock;
    std::vector<Call> m_calls;
    std::deque<int> m_answers;
    std::deque<std::optional<QString>> m_files;
    std::deque<std::optional<COLORREF>> m_colours;
    bool m_shellOk = true;
};

// The services now in use, shared: a call that is still running when other services are
// installed (a worker's box at exit, a test swapping its script) keeps its own alive.
class UiRef
{
public:
    explicit UiRef(std::shared_ptr<UiServices> services) : m_services(std::move(services)) {}
    UiServices *operator->() const { return m_services.get(); }
    UiServices &operator*() const { return *m_services; }
    std::shared_ptr<UiServices> Share() const { return m_services; }

    int MessageBox(const QString &text, const QString &caption, UINT type = MB_OK,
                   QWidget *owner = nullptr) const
    {
        return m_services->MessageBox(text, caption, type, owner);
    }
    bool AskYesNo(const QString &text, const QString &caption, QWidget *owner = nullptr) const
    {
        return m_services->AskYesNo(text, caption, owner);
    }
    std::optional<QString> FileDialog(const FileDialogRequest &request) const
    {
        return m_services->FileDialog(request);
    }
    std::optional<COLORREF> ChooseColour(COLORREF initial, QWidget *owner = nullptr) const
    {
        return m_services->ChooseColour(initial, owner);
    }
    void DesktopAlert(const DesktopAlertRequest &request) const { m_services->DesktopAlert(request); }
    bool ShellOpen(const QString &pathOrUrl) const { return m_services->ShellOpen(pathOrUrl); }

private:
    std::shared_ptr<UiServices> m_services;
};

// The services now in use (the Qt ones unless others were installed).
UiRef Ui();
// Installs services and returns the previous ones; null goes back to the Qt services.
std::shared_ptr<UiServices> SetUiServices(std::shared_ptr<UiServices> services);

// Installs services for the lifetime of this object (tests).
class ScopedUiServices
{
public:
    explicit ScopedUiServices(std::shared_ptr<UiServices> s) : m_previous(SetUiServices(std::move(s))) {}
    ~ScopedUiServices() { SetUiServices(std::move(m_previous)); }
    ScopedUiServices(const ScopedUiServices &) = delete;
    ScopedUiServices &operator=(const ScopedUiServices &) = delete;

private:
    std::shared_ptr<UiServices> m_previous;
};

// The program's main window: default owner of boxes and the anchor of desktop alerts.
void SetMainWindow(QWidget *w);
QWidget *MainWindow();

// Runs f on the GUI thread and waits for it; at once when already there. From a thread that
// holds the link lock it refuses (logged and counted) and returns false without running f.
bool RunOnGuiThread(const std::function<void()> &f);

}
