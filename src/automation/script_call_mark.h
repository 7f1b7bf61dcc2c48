#pragma once

#include "automation/script_gate.h"

#include <QJSValue>
#include <QString>

// Marks a script's time inside a call to the program for the watchdog,
// from construction to destruction.
class ScriptCallMark
{
public:
    explicit ScriptCallMark(ScriptGate &gate)
        : m_gate(gate)
    {
        m_gate.enterCall();
    }
    ~ScriptCallMark() { m_gate.leaveCall(); }
    ScriptCallMark(const ScriptCallMark &) = delete;
    ScriptCallMark &operator=(const ScriptCallMark &) = delete;

private:
    ScriptGate &m_gate;
};

// A value as a script's error message names it: text in quotes.
QString describeScriptValue(const QJSValue &value);
