#pragma once
// The oscilloscope page's rules that need no window: one step of the horizontal scroll bar,
// the history file to drop after a save, the history file's name, and the extension tests of
// the file commands.
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace scopepage {

// The scroll bar's requests, as the bar reports them.
enum class ScrollRequest { LineLeft, LineRight, PageLeft, PageRight, Thumb, Other };

// What one request does: the bar's new position and how far the view's window moves.
struct ScrollMove {
    bool moves = false;  // false: nothing changes
    int pos = 0;
    int left = 0;        // ScrollXLeft(left) when > 0
    int right = 0;       // ScrollXRight(right) when > 0
    bool toThumb = false;  // the window starts at pos, width kept
};
// pos: the bar's position; limit: its largest position; step: a tenth of the view's window
// (a page is five steps); thumb: the thumb's position for Thumb.
ScrollMove ScrollStep(ScrollRequest request, int pos, int limit, int step, int thumb);

// The largest position of a bar from `minimum` to `maximum` showing `page` at a time.
int ScrollLimit(int minimum, int maximum, int page);

// "yyyyMMdd_HHmmss.csv" of the local time.
QString HistoryFileName(const QDateTime &local);
// The history file to delete once `names` (the "*.csv" names in the folder) are more than
// `keep`: the smallest name in a case-sensitive comparison; empty when none is to go.
QString HistoryFileToDrop(const QStringList &names, int keep = 10);

// The part of `path` from its last '.' on ("" when there is none).
QString ExtensionOf(const QString &path);

// The capture kind a saved file records: 1 for the single-shot lengths 1000, 2000 and 4000.
int CaptureKindOfCount(int sampleCount);

}
