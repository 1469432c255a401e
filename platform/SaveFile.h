#pragma once
// A file written whole or not at all, as QSaveFile does, but through a temporary file whose
// name says whose it is: "<target>.kvtmp-XXXXXX" beside the target. A program killed
// half-way leaves such a file behind; the next save of the same target removes it (and only
// files of that exact form, never the user's own "<target>.backup" and the like).
#include <QFile>
#include <QString>

namespace platform {

// The marker between a target's name and the six random characters of its temporary file.
inline constexpr char kSaveTempInfix[] = ".kvtmp-";

// Removes the temporary files that earlier saves of `target` left (with SQLite's side files
// "-journal", "-wal", "-shm" of them).
void RemoveSaveLeftovers(const QString &target);

class SaveFile : public QFile {
public:
    explicit SaveFile(const QString &target);
    ~SaveFile() override;
    SaveFile(const SaveFile &) = delete;
    SaveFile &operator=(const SaveFile &) = delete;

    // Opens a fresh temporary file beside the target for writing (any read flag is dropped).
    bool open(OpenMode mode) override;
    // Makes the written bytes the target: flushed to disk, then renamed over it (over what a
    // link points to, for a link), the target's permissions kept. False, with the target
    // untouched and the temporary file gone, after any write error.
    bool commit();
    // Throws the written bytes away; the target stays as it was.
    void cancelWriting();

private:
    QString m_target;
    bool m_bCancelled = false;
};

}  // namespace platform
