// The setup file's shape check: any bytes give a verdict, and a text it
// takes has the shape it promises, checked line by line here on its own.
#include "core/setup_text.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

bool isLineOfASetup(const QByteArray &line)
{
    if (line.size() > SetupText::longestLine || line.contains('\0'))
        return false;
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#'))
        return true;
    if (trimmed.startsWith('[') && trimmed.endsWith(']'))
        return true;
    // A lone backslash at the end would join the next line to it.
    const QByteArray ending = line.endsWith('\r') ? line.chopped(1) : line;
    const qsizetype kept = ending.size();
    qsizetype backslashes = 0;
    while (backslashes < kept && ending.at(kept - 1 - backslashes) == '\\')
        ++backslashes;
    return trimmed.indexOf('=') > 0 && backslashes % 2 == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const SetupText::Check verdict = SetupText::check(text);
    check(SetupText::check(text).problem == verdict.problem, "two verdicts on one text");
    if (!verdict.problem.isEmpty()) {
        check(verdict.problem.size() < 200, "a problem too long for a message");
        return 0;
    }
    check(text.size() <= SetupText::largestFile, "a file over the size taken");
    check(QString::fromUtf8(text).toUtf8() == text, "text that is not UTF-8 taken");
    for (const QByteArray &line : text.split('\n'))
        check(isLineOfASetup(line), "a line of no setup shape taken");
    for (const QString &section : verdict.sections)
        check(text.contains('[' + section.toUtf8() + ']'), "a section the text does not name");
    // An escape refused is one the text holds, and never one of the three known.
    for (const SetupText::UnknownEscape &escape : verdict.unknownEscapes) {
        check(!escape.key.isEmpty(), "an escape refused without its key");
        check(text.contains(escape.key.section(u'/', -1).toUtf8()), "a key the text does not hold");
        check(
            escape.escape.startsWith(u'\\') && escape.escape.size() <= 3 &&
                !QStringList{QStringLiteral("\\t"), QStringLiteral("\\\\"), QStringLiteral("\\\"")}
                     .contains(escape.escape),
            "a known escape refused");
        check(text.contains(escape.escape.toUtf8()), "an escape the text does not hold");
    }
    check(verdict.unknownEscapes.isEmpty() || text.contains('\\'),
          "an escape in a text without any");
    // A good text with one more section line stays good and names it.
    const SetupText::Check longer = SetupText::check(text + "\n[Channel9]\n");
    check(longer.problem.isEmpty() == (text.size() + 12 <= SetupText::largestFile),
          "a section line changed the verdict");
    return 0;
}
