#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class PaneText;
class QIODevice;

// How a pane shows the arrival time of its lines beside the text.
enum class LineTimeForm
{
    Off,
    WallClock,     // HH:MM:SS.mmm, or the date where it changes
    SinceFirst,    // seconds since the pane's first line arrived
    SincePrevious, // seconds since the line before arrived
};

// A channel's choice: the form of the times, and whether a copy or a saved
// pane carries them too (only while they are shown).
struct PaneTimeChoice
{
    LineTimeForm form = LineTimeForm::Off;
    bool inCopies = false;

    bool operator==(const PaneTimeChoice &) const = default;
};

// The words a setup file keeps for each form, and back.
QLatin1String keywordOf(LineTimeForm form);

// The text of the line times: what the gutter shows, what copies, saved
// panes and printouts put before each line. The text itself is never
// changed: times go beside it.
namespace LineTimeText {

// The widest time of the form, in characters (0 for Off): the gutter's width.
// The wall clock's is the time alone, so the gutter takes no more of a row
// than the time needs.
int width(LineTimeForm form);
// Line `line`'s time in `form`, right-aligned in width(form); blank for a
// line with no time yet. On the first line and where the day differs from
// the line before's, the wall clock shows the date (yyyy-MM-dd) instead of
// the time; `withDate` asks for the date and the time on every line
// (yyyy-MM-dd HH:mm:ss.zzz, wider than width()).
QString of(const PaneText &text, qsizetype line, LineTimeForm form, bool withDate = false);

// The text of [pos, pos + length) with each line's time and a blank before
// every line that starts in it (and before its first, partial line), the
// wall clock with its date on every line.
QByteArray copy(const PaneText &text, qsizetype pos, qsizetype length, LineTimeForm form);
// The same, written to `device` a line at a time; false if a write failed.
bool writeTo(const PaneText &text, QIODevice &device, qsizetype pos, qsizetype length,
             LineTimeForm form);

} // namespace LineTimeText
