#pragma once
// The program's images (splash, icons, safety pictures) live in a Qt resource of the core
// library; this makes them reachable as ":/res/<name>".
void InitKorvaneResources();
