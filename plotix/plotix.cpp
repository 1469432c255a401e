// Placeholder translation unit; the analysis interface lands in plotix.h.
namespace plotix {
int libraryVersion() { return 1; }
}
