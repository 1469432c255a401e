#pragma once
// What the picture programs share: letting the GUI run for a while, and saving a widget's picture.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <cstdio>
#include <functional>

namespace shots {

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
