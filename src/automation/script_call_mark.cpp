#include "automation/script_call_mark.h"

QString describeScriptValue(const QJSValue &value)
{
    return value.isString() ? u'"' + value.toString() + u'"' : value.toString();
}
