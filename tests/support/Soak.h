#pragma once
// Long fault campaigns run their full count only when KORVANE_SOAK is set (scripts/test-stress
// sets it); the everyday run keeps enough of each to meet every case at least once.
#include <cstdlib>

inline bool SoakRun()
{
    const char *v = std::getenv("KORVANE_SOAK");
    return v && *v && *v != '0';
}

// `everyday` normally, `soak` under KORVANE_SOAK.
inline int SoakCount(int everyday, int soak)
{
    return SoakRun() ? soak : everyday;
}
