#include "platform/UiServices.h"

#include "platform/BlockingCheck.h"
#include "platform/PopupWindow.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <QPushButton>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <future>

namespace platform {

namespace {

std::mutex g_servicesLock;
std::shared_ptr<UiServices> &CurrentServices()
{
    static std::shared_ptr<UiServices> current;
    return current;
}

QPointer<QWidget> &MainWindowRef()
{
    static QPointer<QWidget> w;
    return w;
}

bool OnGuiThread()
{
    auto *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

template <class R>
R OnGui(const std::function<R()> &f)
{
    if (OnGuiThread())
        return f();
    R result{};
    RunOnGuiThread([&] { result = f(); });
    return result;
}

// "Text(*.txt)|*.txt|All(*.*)|*.*||" -> "Text(*.txt) (*.txt);;All(*.*) (*.*)"
QString QtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

int FirstButton(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO:
        return IDYES;
    case MB_RETRYCANCEL:
        return IDRETRY;
    default:
        return IDOK;
    }
}

}

namespace {

// A call handed to the GUI thread. Qt queues the event under a lock of its own that race
// checkers cannot see; a release once the event (and the call in it) is built and an acquire
// where the GUI thread starts on it show them the order.
std::atomic<unsigned> g_guiCallHandOver{0};
const QEvent::Type kGuiCallType = static_cast<QEvent::Type>(QEvent::registerEventType());

class GuiCallEvent : public QEvent
{
public:
    explicit GuiCallEvent(std::function<void()> call) : QEvent(kGuiCallType), m_call(std::move(call))
    {
        g_guiCallHandOver.fetch_add(1, std::memory_order_release);
    }
    std::function<void()> m_call;
};

class GuiCallReceiver : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() != kGuiCallType)
            return QObject::event(e);
        (void)g_guiCallHandOver.load(std::memory_order_acquire);
        static_cast<GuiCallEvent *>(e)->m_call();
        return true;
    }
};

// Lives on the application's thread for the rest of the process; made by the first caller.
QObject *GuiCallTarget()
{
    static QObject *const target = [] {
        auto *receiver = new GuiCallReceiver;
        receiver->moveToThread(QCoreApplication::instance()->thread());
        return receiver;
    }();
    return target;
}

}

bool RunOnGuiThread(const std::function<void()> &f)
{
    if (OnGuiThread()) {
        f();
        return true;
    }
    if (!BlockingCallAllowed("RunOnGuiThread"))
        return false;
    // The worker waits on a promise that the GUI thread fulfils; when the call is dropped
    // unrun (the application is going away) the broken promise releases the worker.
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    QCoreApplication::postEvent(GuiCallTarget(), new GuiCallEvent([&f, done] {
        try {
            f();
            g_guiCallHandOver.fetch_add(1, std::memory_order_release);
            done->set_value();
        } catch (...) {
            g_guiCallHandOver.fetch_add(1, std::memory_order_release);
            done->set_exception(std::current_exception());
        }
    }));
    try {
        finished.get();
    } catch (const std::future_error &) {
        return false;
    }
    (void)g_guiCallHandOver.load(std::memory_order_acquire);
    return true;
}

int UiServices::MessageBox(const QString &text, const QString &caption, UINT type, QWidget *owner)
{
    if (!BlockingCallAllowed("MessageBox"))
        return IDCANCEL;
    return OnGui<int>([&] { return DoMessageBox(text, caption, type, owner); });
}

bool UiServices::AskYesNo(const QString &text, const QString &caption, QWidget *owner)
{
    return MessageBox(text, caption, MB_YESNO | MB_ICONQUESTION, owner) == IDYES;
}

std::optional<QString> UiServices::FileDialog(const FileDialogRequest &request)
{
    if (!BlockingCallAllowed("FileDialog"))
        return std::nullopt;
    return OnGui<std::optional<QString>>([&] { return DoFileDialog(request); });
}

std::optional<COLORREF> UiServices::ChooseColour(COLORREF initial, QWidget *owner)
{
    if (!BlockingCallAllowed("ChooseColour"))
        return std::nullopt;
    return OnGui<std::optional<COLORREF>>([&] { return DoChooseColour(initial, owner); });
}

void UiServices::DesktopAlert(const DesktopAlertRequest &request)
{
    if (!BlockingCallAllowed("DesktopAlert"))
        return;
    RunOnGuiThread([&] { DoDesktopAlert(request); });
}

bool UiServices::ShellOpen(const QString &pathOrUrl)
{
    if (!BlockingCallAllowed("ShellOpen"))
        return false;
    return OnGui<bool>([&] { return DoShellOpen(pathOrUrl); });
}

// ---- Qt services

namespace {

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// A text that would make the box taller than half the screen (a long result list): shown in a
// box of a size that fits, whose text scrolls.
bool NeedsScrolling(const QString &text, const QWidget *near)
{
    const QScreen *screen = near && near->screen() ? near->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return false;
    const QFontMetrics fm(QApplication::font());
    const QRect need = fm.boundingRect(QRect(0, 0, 600, 100000), Qt::TextWordWrap, text);
    return need.height() > screen->availableGeometry().height() / 2;
}

}

int QtUiServices::DoMessageBox(const QString &text, const QString &caption, UINT type, QWidget *owner)
{
    QWidget *parent = owner ? owner : MainWindow();
    QMessageBox box(parent);
    box.setText(text);
    box.setWindowTitle(caption);
    box.setIcon(IconOf(type));
    // The caption is shown whole: the box is at least as wide as its title needs.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(box.fontMetrics().horizontalAdvance(caption) + 160, 0, QSizePolicy::Minimum,
                                      QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    struct Button
    {
        QMessageBox::StandardButton button;
        int id;
    };
    std::vector<Button> buttons;
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        break;
    case MB_RETRYCANCEL:
        buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    default:
        buttons = {{QMessageBox::Ok, IDOK}};
        break;
    }
    QMessageBox::StandardButtons all;
    for (const Button &b : buttons)
        all |= b.button;
    const size_t def = (type & MB_DEFMASK) >> 8;
    int r = 0;
    if (NeedsScrolling(text, parent)) {
        QDialog dlg(parent);
        dlg.setWindowTitle(caption);
        auto *layout = new QVBoxLayout(&dlg);
        auto *view = new QPlainTextEdit(text, &dlg);
        view->setReadOnly(true);
        view->setObjectName(QStringLiteral("messageText"));
        layout->addWidget(view);
        auto *row = new QDialogButtonBox(QDialogButtonBox::StandardButtons(int(all)), &dlg);
        layout->addWidget(row);
        QObject::connect(row, &QDialogButtonBox::clicked, &dlg,
                         [&](QAbstractButton *b) { dlg.done(int(row->standardButton(b))); });
        if (def < buttons.size())
            if (QPushButton *b = row->button(QDialogButtonBox::StandardButton(int(buttons[def].button))))
                b->setDefault(true);
        const QRect avail = (parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen())
                                ->availableGeometry();
        dlg.resize(std::min(700, avail.width() * 9 / 10), avail.height() * 2 / 3);
        r = dlg.exec();
    } else {
        box.setStandardButtons(all);
        if (def < buttons.size())
            box.setDefaultButton(buttons[def].button);
        r = box.exec();
    }
    for (const Button &b : buttons)
        if (r == b.button)
            return b.id;
    // Closed without a button: Cancel where there is one, else the only button.
    for (const Button &b : buttons)
        if (b.id == IDCANCEL || b.id == IDNO)
            return b.id;
    return buttons.front().id;
}

std::optional<QString> QtUiServices::DoFileDialog(const FileDialogRequest &request)
{
    QFileDialog dlg(request.owner ? request.owner : MainWindow(), request.title, request.initialDir,
                    QtFilter(request.filter));
    dlg.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(request.save ? QFileDialog::AnyFile
                                 : (request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    if (!request.overwritePrompt)
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.defaultExt.isEmpty())
        dlg.setDefaultSuffix(request.defaultExt);
    if (!request.initialName.isEmpty())
        dlg.selectFile(request.initialName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().front();
}

std::optional<COLORREF> QtUiServices::DoChooseColour(COLORREF initial, QWidget *owner)
{
    const QColor c = QColorDialog::getColor(ColorFromRef(initial), owner ? owner : MainWindow());
    if (!c.isValid())
        return std::nullopt;
    return RefFromColor(c);
}

void QtUiServices::DoDesktopAlert(const DesktopAlertRequest &request)
{
    QWidget *w = request.makeWindow ? request.makeWindow() : nullptr;
    if (!w) {
        auto *popup = new PopupWindow;
        popup->SetCaption(request.caption);
        auto *label = new QLabel(request.text);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, ColorFromRef(request.textColour));
        label->setPalette(pal);
        popup->SetContent(label);
        popup->SetAutoCloseTime(request.seconds * 1000);
        w = popup;
    }
    if (auto *popup = qobject_cast<PopupWindow *>(w)) {
        popup->ShowAt(request.pos);
    } else {
        w->move(request.pos);
        w->show();
    }
}

bool QtUiServices::DoShellOpen(const QString &pathOrUrl)
{
    const QUrl url = QFileInfo::exists(pathOrUrl) ? QUrl::fromLocalFile(pathOrUrl) : QUrl(pathOrUrl);
    return QDesktopServices::openUrl(url);
}

// ---- scripted services

void ScriptedUiServices::PushAnswer(int id)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_answers.push_back(id);
}

void ScriptedUiServices::PushFile(std::optional<QString> path)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_files.push_back(std::move(path));
}

void ScriptedUiServices::PushColour(std::optional<COLORREF> colour)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_colours.push_back(colour);
}

void ScriptedUiServices::SetShellOpenResult(bool ok)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_shellOk = ok;
}

std::vector<ScriptedUiServices::Call> ScriptedUiServices::Calls() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_calls;
}

void ScriptedUiServices::ClearCalls()
{
    std::lock_guard<std::mutex> g(m_lock);
    m_calls.clear();
}

void ScriptedUiServices::Record(Call c)
{
    c.onGuiThread = OnGuiThread();
    m_calls.push_back(std::move(c));
}

int ScriptedUiServices::DoMessageBox(const QString &text, const QString &caption, UINT type, QWidget *)
{
    std::lock_guard<std::mutex> g(m_lock);
    Call c{Kind::MessageBox, text, caption, type, {}, {}, 0, false};
    Record(std::move(c));
    if (m_answers.empty())
        return FirstButton(type);
    const int id = m_answers.front();
    m_answers.pop_front();
    return id;
}

std::optional<QString> ScriptedUiServices::DoFileDialog(const FileDialogRequest &request)
{
    std::lock_guard<std::mutex> g(m_lock);
    Record({Kind::FileDialog, request.title, request.title, 0, request, {}, 0, false});
    if (m_files.empty())
        return std::nullopt;
    const bool chosen = m_files.front().has_value();
    const QString path = chosen ? *m_files.front() : QString();
    m_files.pop_front();
    if (!chosen)
        return std::nullopt;
    return path;
}

std::optional<COLORREF> ScriptedUiServices::DoChooseColour(COLORREF initial, QWidget *)
{
    std::lock_guard<std::mutex> g(m_lock);
    Record({Kind::ChooseColour, {}, {}, 0, {}, {}, initial, false});
    if (m_colours.empty())
        return std::nullopt;
    auto r = m_colours.front();
    m_colours.pop_front();
    return r;
}

void ScriptedUiServices::DoDesktopAlert(const DesktopAlertRequest &request)
{
    std::lock_guard<std::mutex> g(m_lock);
    Record({Kind::DesktopAlert, request.text, request.caption, 0, {}, request, request.textColour, false});
}

bool ScriptedUiServices::DoShellOpen(const QString &pathOrUrl)
{
    std::lock_guard<std::mutex> g(m_lock);
    Record({Kind::ShellOpen, pathOrUrl, {}, 0, {}, {}, 0, false});
    return m_shellOk;
}

// ---- the current services

UiRef Ui()
{
    std::lock_guard<std::mutex> g(g_servicesLock);
    auto &current = CurrentServices();
    if (!current)
        current = std::make_shared<QtUiServices>();
    return UiRef(current);
}

std::shared_ptr<UiServices> SetUiServices(std::shared_ptr<UiServices> services)
{
    std::lock_guard<std::mutex> g(g_servicesLock);
    auto previous = std::move(CurrentServices());
    CurrentServices() = std::move(services);
    return previous;
}

void SetMainWindow(QWidget *w)
{
    MainWindowRef() = w;
}

QWidget *MainWindow()
{
    return MainWindowRef().data();
}

}
