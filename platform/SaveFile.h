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

// What a temporary file of `target` is named before its six random characters, in the
// target's folder: "<name>.kvtmp-". A name too long to take the marker (and SQLite's side
// files after it) within the folder's name limit is cut, on a character boundary, and followed
// by "~" and a hash of the whole name, so that two long names never share their temporaries.
QString SaveTempPrefix(const QString &target);

// Removes the temporary files that earlier saves of `target` left (with SQLite's side files
// "-journal", "-wal", "-shm" of them).
void RemoveSaveLeftovers(const QString &target);

// The file beside a save's target that the save writes and then renames over the target.
// Every saver of the program goes through it: whatever writes the bytes (a stream, the
// database library, the workbook writer), the target is refused, named, given its mode and
// replaced by the same rules.
class SaveTemp {
public:
    // A link as target: what it points to is replaced, the link stays.
    explicit SaveTemp(const QString &target);
    // The temporary file (and its SQLite side files) goes unless it became the target.
    ~SaveTemp();
    SaveTemp(const SaveTemp &) = delete;
    SaveTemp &operator=(const SaveTemp &) = delete;

    // Clears what earlier killed saves of the target left, then makes an empty private file
    // (0600). False, with nothing made, when the target exists and may not be written: a
    // read-only file is not replaced behind its owner's back.
    bool Create();
    // Gives the written file its mode (the replaced file's own, or what a new file of the user's
    // gets under the umask) and renames it over the target; the folder is synced after.
    bool ReplaceTarget();
    // Removes the temporary file now.
    void Discard();

    const QString &Path() const { return m_path; }
    const QString &Target() const { return m_target; }
    QString ErrorString() const { return m_error; }

private:
    QString m_target;
    QString m_path;
    QString m_error;
};

class SaveFile : public QFile {
public:
    explicit SaveFile(const QString &target);
    ~SaveFile() override;
    SaveFile(const SaveFile &) = delete;
    SaveFile &operator=(const SaveFile &) = delete;

    // Opens a fresh temporary file beside the target for writing (any read flag is dropped).
    // False for a target that may not be written.
    bool open(OpenMode mode) override;
    // Makes the written bytes the target: flushed to disk, then renamed over it (over what a
    // link points to, for a link), the target's permissions kept. False, with the target
    // untouched and the temporary file gone, after any write error.
    bool commit();
    // Throws the written bytes away; the target stays as it was.
    void cancelWriting();

private:
    QString m_target;
    SaveTemp m_temp;
    bool m_bCancelled = false;
};

}  // namespace platform
