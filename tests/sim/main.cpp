// korvane-sim: serves a simulated drive on a pseudo-terminal until it is told to stop
// (SIGINT, SIGTERM or SIGHUP). Prints the device path to give the program; with --link,
// keeps a symbolic link at PATH that points to it.
//   korvane-sim [--link PATH] [--baud N] [--db PATH] [--frame-log PATH] [--faults CODE,...]
//               [--late MIN-MAX[/N]]
// --frame-log writes one line per roll frame of the recorder (sent or dropped).
// --late answers every request MIN to MAX milliseconds late (chosen at random), every N-th just
// past the program's reply window; requests that come meanwhile are answered in turn.
// --faults raises the given fault codes (hexadecimal), in order: the last one is the latest.
// The parameter registers start at the default parameter database's values; the speed and
// position status values move. The drive's test functions answer as in the test suite: jog and
// inertia runs with an inertia estimate, the pole-angle identification, and a mechanism with a
// resonance at 500 Hz for the frequency-response analysis.

#include "SimAids.h"
#include "SimDrive.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <algorithm>
#include <unistd.h>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: korvane-sim [--link PATH] [--baud N] [--db PATH] [--frame-log PATH] [--faults CODE,...]"
                         " [--late MIN-MAX[/N]]\n");
    return 2;
}

// Replaces `link` in one step, so that a reader never finds it missing or half made.
bool PlaceLink(const std::string &target, const std::string &link)
{
    const std::string temp = link + ".tmp" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    return ::symlink(target.c_str(), temp.c_str()) == 0 &&
           ::rename(temp.c_str(), link.c_str()) == 0;
}

void RemoveLinkIfOurs(const std::string &target, const std::string &link)
{
    char buf[4096];
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, static_cast<std::size_t>(n)) == target)
        ::unlink(link.c_str());
}

}

int main(int argc, char *argv[])
{
    std::string link;
    std::string frameLog;
    std::vector<std::uint16_t> faults;
    std::string db = SimDrive::DefaultDatabasePath();
    int baud = SimDrive::kDefaultBaud;
    SimDrive::LateAnswers late;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--link" && i + 1 < argc) {
            link = argv[++i];
        } else if (arg == "--frame-log" && i + 1 < argc) {
            frameLog = argv[++i];
        } else if (arg == "--faults" && i + 1 < argc) {
            std::string list = argv[++i];
            std::size_t start = 0;
            while (start <= list.size()) {
                const std::size_t comma = std::min(list.find(',', start), list.size());
                const std::string item = list.substr(start, comma - start);
                char *end = nullptr;
                const unsigned long v = std::strtoul(item.c_str(), &end, 16);
                if (item.empty() || !end || *end != '\0' || v > 0xFFFF)
                    return Usage();
                faults.push_back(static_cast<std::uint16_t>(v));
                start = comma + 1;
            }
        } else if (arg == "--late" && i + 1 < argc) {
            char *end = nullptr;
            const char *text = argv[++i];
            late.minMs = static_cast<int>(std::strtol(text, &end, 10));
            if (!end || *end != '-')
                return Usage();
            late.maxMs = static_cast<int>(std::strtol(end + 1, &end, 10));
            if (end && *end == '/')
                late.pastWindowEvery = static_cast<int>(std::strtol(end + 1, &end, 10));
            if (!end || *end != '\0' || late.minMs < 0 || late.maxMs < late.minMs || late.pastWindowEvery < 0)
                return Usage();
        } else if (arg == "--db" && i + 1 < argc) {
            db = argv[++i];
        } else if (arg == "--baud" && i + 1 < argc) {
            char *end = nullptr;
            const long v = std::strtol(argv[++i], &end, 10);
            if (!end || *end != '\0' || v <= 0)
                return Usage();
            baud = static_cast<int>(v);
        } else {
            return Usage();
        }
    }

    // Signals are taken by sigwait below, never by the drive's thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SimDrive drive;
    drive.SetBaud(baud);
    std::string why;
    if (!drive.SeedFromDefaultDatabase(db, 1, &why))
        std::fprintf(stderr, "korvane-sim: parameters not seeded: %s\n", why.c_str());
    drive.EnableStatusSide();
    drive.SetStatusMoving(true);
    SimAids aids(drive);
    aids.SetInertiaRatio(350);
    SimDrive::MechanismModel mechanism;
    mechanism.resonanceHz = 500;
    mechanism.peakGain = 10;
    drive.SetMechanismModel(mechanism);
    for (std::uint16_t code : faults)
        drive.RaiseFault(code);
    drive.SetLateAnswers(late);
    if (!frameLog.empty() && !drive.SetFrameLogFile(frameLog)) {
        std::fprintf(stderr, "korvane-sim: cannot write %s: %s\n", frameLog.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (!drive.Start()) {
        std::fprintf(stderr, "korvane-sim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    const std::string path = drive.SlavePath();
    if (!link.empty() && !PlaceLink(path, link)) {
        std::fprintf(stderr, "korvane-sim: cannot place link %s: %s\n", link.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    int sig = 0;
    sigwait(&stopSignals, &sig);
    drive.Stop();
    if (!link.empty())
        RemoveLinkIfOurs(path, link);
    return 0;
}
