#include "automation/script_pattern.h"

#include <QJSEngine>

namespace {

QString unusable(const QJSValue &thrown)
{
    return QStringLiteral("pattern unusable: ") + thrown.toString();
}

} // namespace

ScriptPattern ScriptPattern::text(const QString &literal)
{
    ScriptPattern pattern;
    pattern.m_literal = literal;
    return pattern;
}

ScriptPattern ScriptPattern::regExp(QJSEngine &engine, const QJSValue &regExp, QString *error)
{
    ScriptPattern pattern;
    QString flags = regExp.property(QStringLiteral("flags")).toString();
    flags.remove(QLatin1Char('g')).remove(QLatin1Char('y'));
    const QJSValue constructor = engine.globalObject().property(QStringLiteral("RegExp"));
    const QJSValue copy =
        constructor.callAsConstructor({regExp.property(QStringLiteral("source")), flags});
    const QJSValue exec = copy.property(QStringLiteral("exec"));
    if (copy.isError() || !copy.isRegExp() || !exec.isCallable()) {
        *error = copy.isError()
                     ? unusable(copy)
                     : QStringLiteral("pattern unusable: the engine made no RegExp of it");
        return pattern;
    }
    pattern.m_regExp = copy;
    pattern.m_exec = exec;
    return pattern;
}

ScriptPattern::Found ScriptPattern::find(const QString &text, QString *error) const
{
    Found found;
    if (m_regExp.isUndefined()) {
        found.start = text.indexOf(m_literal);
        if (found.start >= 0) {
            found.length = m_literal.size();
            found.text = m_literal;
        }
        return found;
    }
    const QJSValue result = m_exec.callWithInstance(m_regExp, {text});
    if (result.isError()) {
        *error = unusable(result);
        return found;
    }
    if (result.isNull() || !result.isArray())
        return found;
    found.text = result.property(0).toString();
    found.length = found.text.size();
    found.start = result.property(QStringLiteral("index")).toInt();
    const int count = result.property(QStringLiteral("length")).toInt();
    for (int i = 1; i < count; ++i) {
        const QJSValue group = result.property(quint32(i));
        found.groups << (group.isUndefined() ? QString() : group.toString());
    }
    return found;
}
