#include "database/DbServices.h"

#include "PathHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <glog/logging.h>

#include <cstdio>
#include <mutex>

namespace {

std::mutex g_lock;
DbMessageSink g_sink;
QString g_programDir;

void DefaultSink(DbMessageKind kind, const QString& text)
{
    const char* how = kind == DbMessageKind::MessageBox ? "message box" : "desktop alert";
    const QByteArray utf8 = text.toUtf8();
    if (google::IsGoogleLoggingInitialized())
        LOG(WARNING) << "database " << how << ": " << utf8.constData();
    else
        std::fprintf(stderr, "database %s: %s\n", how, utf8.constData());
}

}  // namespace

void SetDbMessageSink(DbMessageSink sink)
{
    std::lock_guard lock(g_lock);
    g_sink = std::move(sink);
}

void ShowDbMessage(DbMessageKind kind, const QString& text)
{
    DbMessageSink sink;
    {
        std::lock_guard lock(g_lock);
        sink = g_sink;
    }
    if (sink)
        sink(kind, text);
    else
        DefaultSink(kind, text);
}

void LogDbDetail(const QString& text)
{
    if (google::IsGoogleLoggingInitialized())
        LOG(WARNING) << text.toUtf8().constData();
}

void SetDbProgramDir(const QString& dir)
{
    std::lock_guard lock(g_lock);
    g_programDir = dir;
}

QString GetDbProgramDir()
{
    {
        std::lock_guard lock(g_lock);
        if (!g_programDir.isEmpty())
            return QDir::cleanPath(g_programDir);
    }
    return GetProgramDir();
}

QString DefaultParamsDbPath()
{
    const QString parent = QFileInfo(GetDbProgramDir()).dir().path();
    return parent + QStringLiteral("/CommonRes/ParamsData/ZiDizorAdovora.mdb");
}
