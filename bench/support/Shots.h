#pragma once
// What the picture programs share: the folder they write to, letting the GUI run for a while,
// and saving a widget's picture.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <optional>

namespace shots {

// The folder named by the first argument, made where it is missing; none, after the usage line
// (`usage`, the program's name and arguments), when it is not given.
inline std::optional<QDir> OutputFolder(int argc, char **argv, const char *usage)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return std::nullopt;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(path);
    return QDir(path);
}

// Runs the GUI for `ms` at most, or until `done` holds.
inline void Pump(int ms, const std::function<bool()> &done = {})
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && !(done && done()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Saves the widget's picture to `path` and says whether it could.
inline bool Save(QWidget &w, const QString &path)
{
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.toUtf8().constData());
    return ok;
}

}
