#include "core/line_break_rule.h"

#include "core/pane/pane_store.h"

QLatin1String keywordOf(LineBreaks rule)
{
    switch (rule) {
    case LineBreaks::Any:
        return QLatin1String("Any");
    case LineBreaks::CrLf:
        return QLatin1String("CR LF");
    case LineBreaks::Lf:
        return QLatin1String("LF");
    case LineBreaks::Cr:
        return QLatin1String("CR");
    }
    return {};
}

namespace LineBreakRule {

qsizetype find(const PaneStore &store, LineBreaks rule, qsizetype from, qsizetype to)
{
    switch (rule) {
    case LineBreaks::Any:
        return store.findLineBreak(from, to);
    case LineBreaks::Lf:
        return store.indexOf('\n', from, to);
    case LineBreaks::Cr:
        return store.indexOf('\r', from, to);
    case LineBreaks::CrLf:
        for (qsizetype pos = from; pos < to; ++pos) {
            pos = store.indexOf('\r', pos, to);
            if (pos < to && pos + 1 < store.size() && store.at(pos + 1) == '\n')
                return pos;
        }
        return to;
    }
    return to;
}

qsizetype after(const PaneStore &store, LineBreaks rule, qsizetype at)
{
    switch (rule) {
    case LineBreaks::Any:
        if (store.at(at) == '\r' && at + 1 < store.size() && store.at(at + 1) == '\n')
            return at + 2;
        return at + 1;
    case LineBreaks::CrLf:
        return at + 2;
    case LineBreaks::Lf:
    case LineBreaks::Cr:
        return at + 1;
    }
    return at + 1;
}

qsizetype lengthBefore(const PaneStore &store, LineBreaks rule, qsizetype next)
{
    switch (rule) {
    case LineBreaks::Any:
        return next >= 2 && store.at(next - 1) == '\n' && store.at(next - 2) == '\r' ? 2 : 1;
    case LineBreaks::CrLf:
        return 2;
    case LineBreaks::Lf:
    case LineBreaks::Cr:
        return 1;
    }
    return 1;
}

QByteArrayView bytesOf(LineBreaks rule)
{
    switch (rule) {
    case LineBreaks::Any:
    case LineBreaks::Lf:
        return "\n";
    case LineBreaks::CrLf:
        return "\r\n";
    case LineBreaks::Cr:
        return "\r";
    }
    return "\n";
}

} // namespace LineBreakRule
