#pragma once

#include <QJSValue>
#include <QString>
#include <QStringList>

class QJSEngine;

// What expect() waits for: a text, found as it is, or a JavaScript RegExp,
// run by the script's own engine, so every pattern JavaScript accepts
// matches as JavaScript says. Received bytes are searched as Latin-1 text
// (one character per byte).
//
// What it promises:
// - A RegExp is copied without its g and y flags: they only say where a
//   search starts, and expect always searches what is new.
// - A pattern that cannot be used is an error ("pattern unusable: ..."),
//   never a pattern that matches anything.
// - Runs on the engine's thread only, and never while a lock is held that a
//   script's own code could wait on.
class ScriptPattern
{
public:
    ScriptPattern() = default;
    static ScriptPattern text(const QString &literal);
    // `regExp` must be a RegExp of `engine`; an error says why it cannot be used.
    static ScriptPattern regExp(QJSEngine &engine, const QJSValue &regExp, QString *error);

    struct Found
    {
        qsizetype start = -1; // -1: not found
        qsizetype length = 0;
        QString text;
        QStringList groups; // undefined groups as empty texts
    };
    // The first match in `text`; an error when the engine failed to search.
    Found find(const QString &text, QString *error) const;

private:
    QString m_literal;
    QJSValue m_regExp; // a RegExp, or undefined for a text
    QJSValue m_exec;
};
