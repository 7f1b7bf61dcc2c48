#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// The dump view's text: rows of 16 bytes, each row the offset of its first
// byte since the last restart (8 hex digits), the bytes as hex pairs (a wider
// gap after the eighth) and the bytes as characters, printable ASCII as
// itself and every other byte as '.':
//
//   00000010  48 65 6C 6C 6F 0D 0A 00  01 02 03 04 05 06 07 08  Hello...........
//
// Bytes may come in any pieces: a row's pairs grow as its bytes arrive and
// its characters follow once it holds 16. A row cut short (breakRow: other
// text came between) goes on as a new row at the same offset, with blanks
// where its earlier bytes stood, so the columns stay in line. Holds at most
// one row's characters besides the offset.
class DumpRows
{
public:
    // The columns of a full row, its line break aside: the offset and two
    // blanks, a pair and a blank per byte with one blank more after the
    // eighth, a blank, and a character per byte. The pane lays the dump view
    // out this wide.
    static constexpr int kRowColumns = 8 + 2 + 16 * 3 + 1 + 1 + 16;

    // Appends the text of `bytes` to `out`, ending each full row with
    // `lineBreak`.
    void append(QByteArray &out, QByteArrayView bytes, QByteArrayView lineBreak);
    // The text shown so far no longer ends in this row.
    void breakRow();
    // Offsets start at 0 again, with a new row.
    void restart();

private:
    qint64 m_offset = 0;
    bool m_rowOpen = false;
    QByteArray m_chars; // the open row's characters so far
};
