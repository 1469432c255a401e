// The oscilloscope page with its side panel against the simulated drive, through the whole
// GUI: a roll capture at the minimum period (f = 16000, 115,200 baud, layout 0, counting
// sources), started and stopped at the sampling panel's indicator, with a 10 ms probe timer
// on the GUI thread. Prints
//   roll frames <logged> matched <n> lost <n> dup <n> files <n>
//   probe max <ms> (<ratio> of 50 ms) outside cuts <ms> (<ratio>) cuts <n> at <s> gap <ms> ...
//   bench_scope_page [--seconds S]
#include "RollCheck.h"

#include "AppFlags.h"
#include "LangText.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Wnds/scope/DlgScope.h"
#include "Wnds/scope/DlgSocpeParam.h"
#include "Wnds/scope/ScopeControl.h"
#include "Wnds/scope/ScopeThreads.h"
#include "Wnds/scope/VScope.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

bool PumpUntil(const std::function<bool()> &f, double seconds)
{
    QElapsedTimer t;
    t.start();
    while (!f() && t.elapsed() < seconds * 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return f();
}

bool Choose(CDlgSocpeParam *panel, int k, const QString &name)
{
    QComboBox *box = panel->Source(k);
    for (int j = 0; j < box->count(); ++j) {
        if (box->itemData(j).toString() != name)
            continue;
        box->setCurrentIndex(j);
        panel->OnSelchangeSource(k);
        panel->Check(k)->setChecked(true);
        panel->OnClickedChannelCheck(k);
        return true;
    }
    return false;
}

// One probe tick: when it came and what the view held.
struct Tick {
    Clock::time_point at;
    int count;
};

int Run(double seconds)
{
    constexpr int kBaud = 115200;
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scopeUi(ui);
    QTemporaryDir dir;
    const QString appDir = QCoreApplication::applicationDirPath();
    QDir().mkpath(dir.filePath("config/Scope"));
    for (const char *f : {"config/Scope/NewChannel_E.set", "config/Scope/ChBit_E.txt", "config/Scope/Triger_E.txt",
                          "config/english_US.ini"})
        QFile::copy(appDir + "/" + f, dir.filePath(f));
    SetProgramDir(dir.path());
    GetLangText().m_strLangFile = dir.filePath("config/english_US.ini");
    GetLangText().m_strLanguage = QStringLiteral("EnglishUS");
    CAppFlags flags;
    SetAppFlags(&flags);

    SimDrive sim;
    if (!sim.Start()) {
        std::fprintf(stderr, "bench_scope_page: no pseudo-terminal\n");
        return 1;
    }
    sim.SetBaud(kBaud);
    sim.SetRegister(0x8958, 16000);
    CSysParam sys;
    sys.m_strDevicePath = QString::fromStdString(sim.SlavePath());
    sys.m_nComBaud = kBaud;
    if (!sys.OpenPortFromSettings()) {
        std::fprintf(stderr, "bench_scope_page: cannot open the port\n");
        return 1;
    }
    sys.m_bConnected = TRUE;
    SetSysParam(&sys);
    CScopeSettings *settings = CScopeSettings::GetInstance();
    settings->m_strContinuousPath = dir.filePath("rec");
    QDir().mkpath(settings->m_strContinuousPath);

    QWidget host;
    host.resize(1280, 800);
    int status = 0;
    {
        CDlgScope page;
        page.m_fnMainStatusTimer = [](bool) {};
        page.m_fnRestartShownPageTimer = {};
        page.Create(&host);
        page.setGeometry(0, 0, 1280, 800);
        host.show();
        page.show();
        CDlgSocpeParam *panel = page.Panel();
        PumpUntil([&] { return !panel->BasePending(); }, 10);
        const unsigned p = CScopeControl::MinimumRollPeriod(16000, 0, kBaud, 11);
        panel->RollRadio()->setChecked(true);
        panel->PeriodEdit()->setText(QString::number(p));
        panel->OnKillfocusPeriod();
        const QString sources[4] = {"FUNC_test1_2", "FUNC_test2_2", "FUNC_test3_2", "FUNC_test4_2"};
        for (int k = 1; k <= 4; ++k)
            if (!Choose(panel, k, sources[k - 1])) {
                std::fprintf(stderr, "bench_scope_page: no source %s\n", qPrintable(sources[k - 1]));
                return 1;
            }
        if (settings->m_nLayout != 0) {
            std::fprintf(stderr, "bench_scope_page: layout %d, not 0\n", settings->m_nLayout);
            return 1;
        }

        std::vector<Tick> ticks;
        ticks.reserve(static_cast<std::size_t>(seconds * 120));
        CVScope *view = page.GetScopeView();
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] { ticks.push_back({Clock::now(), view->Channels().m_ch[0].m_nCount}); });

        sim.ClearFrameLog();
        const Clock::time_point started = Clock::now();
        platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
        probe.start(10);
        PumpUntil([] { return false; }, seconds);
        probe.stop();
        const Clock::time_point stopAt = Clock::now();
        platform::SendMessage(panel, UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
        PumpUntil([&] { return !sim.RecorderRolling() && !ScopeRollThreadRunning(); }, 10);
        PumpUntil([] { return false; }, 1);

        // Gaps between probe ticks; a gap over which the view's count fell holds a file cut.
        double maxAll = 0, maxOutside = 0;
        std::vector<std::pair<double, double>> cuts;  // (seconds since start, gap ms)
        for (std::size_t i = 1; i < ticks.size(); ++i) {
            const double gap = std::chrono::duration<double, std::milli>(ticks[i].at - ticks[i - 1].at).count();
            maxAll = std::max(maxAll, gap);
            if (ticks[i].count < ticks[i - 1].count)
                cuts.emplace_back(std::chrono::duration<double>(ticks[i].at - started).count(), gap);
            else
                maxOutside = std::max(maxOutside, gap);
        }
        std::vector<RollLoggedFrame> logged;
        for (const auto &e : sim.FrameLog())
            logged.push_back({e.index, e.firstSample, e.sent, std::chrono::duration<double>(e.at - started).count()});
        const QStringList files = panel->Core().RecordingFiles();
        const std::vector<double> seq = RecordedChannel1(files, *settings);
        const RollCheck c = CheckRollRecording(logged, seq, ScopeRollSamplesPerFrame(0),
                                               std::chrono::duration<double>(stopAt - started).count());
        std::printf("roll p%u frames %zu expected %lld matched %lld lost %lld dup %lld files %d\n", p, logged.size(),
                    c.expected, c.matched, c.missing, c.dup, static_cast<int>(files.size()));
        std::printf("probe ticks %zu max %.1f ms (%.2f of 50 ms) outside cuts %.1f ms (%.2f)\n", ticks.size(), maxAll,
                    maxAll / 50, maxOutside, maxOutside / 50);
        for (const auto &[at, gap] : cuts)
            std::printf("cut at %.1f s gap %.1f ms (%.2f of 50 ms)\n", at, gap, gap / 50);
        for (const auto &call : ui->Calls())
            std::fprintf(stderr, "bench_scope_page: box: %s\n", qPrintable(call.text));
        if (c.missing || c.dup)
            status = 1;
        page.DestroyWindow();
    }
    SetSysParam(nullptr);
    SetAppFlags(nullptr);
    return status;
}

}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    double seconds = 70;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: bench_scope_page [--seconds S]\n");
            return 2;
        }
    }
    const int r = Run(seconds);
    CScopeSettings::DestroyInstance();
    return r;
}
