#include "AppFlags.h"

namespace {
CAppFlags *g_pInstalled = nullptr;

CAppFlags &Fallback()
{
    static CAppFlags flags;
    return flags;
}
}

CAppFlags *GetAppFlags()
{
    return g_pInstalled ? g_pInstalled : &Fallback();
}

void SetAppFlags(CAppFlags *flags)
{
    g_pInstalled = flags;
}
