#pragma once

#include <QList>
#include <QString>

#include <optional>

// One send button of a channel: its caption, the text it sends (read by
// SendText, as escapes or as hex pairs), and how often it resends while
// switched on (0: it sends once per press). A button with no name is not
// defined.
struct SendButton
{
    static constexpr int perChannel = 12; // F1 to F12
    static constexpr int shortestRepeatMs = 10;
    static constexpr int longestRepeatMs = 3'600'000;
    // A text field holds no more; a longer text is refused, never cut.
    static constexpr int longestText = 32'767;

    QString name;
    QString text;
    bool hexPairs = false;
    int repeatMs = 0;

    bool isDefined() const { return !name.isEmpty(); }
    bool operator==(const SendButton &) const = default;

    // One line for a setup file: the name, "text" or "hex", the repeat
    // time, then the text, separated by tabs (the text comes last and may
    // hold tabs of its own). An undefined button is an empty line.
    QString toSetupText() const;
    // Reads a line written by toSetupText(); nothing for a wrong line (a
    // missing field, an unknown kind, a repeat time out of range, a text
    // that SendText refuses, a line break).
    static std::optional<SendButton> fromSetupText(const QString &line);
};

using SendButtonList = QList<SendButton>;
