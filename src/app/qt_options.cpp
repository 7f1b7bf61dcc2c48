#include "app/qt_options.h"

#include <QLatin1StringView>

namespace {

struct QtOption
{
    QLatin1StringView name;
    bool takesValue;
};

// QCoreApplication's, QGuiApplication's, the X11 platform's and
// QApplication's options, as Qt 6 reads them.
constexpr QtOption qtOptions[] = {
    {QLatin1StringView("platform"), true},
    {QLatin1StringView("platformpluginpath"), true},
    {QLatin1StringView("platformtheme"), true},
    {QLatin1StringView("plugin"), true},
    {QLatin1StringView("qwindowgeometry"), true},
    {QLatin1StringView("geometry"), true},
    {QLatin1StringView("qwindowicon"), true},
    {QLatin1StringView("icon"), true},
    {QLatin1StringView("qwindowtitle"), true},
    {QLatin1StringView("title"), true},
    {QLatin1StringView("session"), true},
    {QLatin1StringView("display"), true},
    {QLatin1StringView("name"), true},
    {QLatin1StringView("style"), true},
    {QLatin1StringView("stylesheet"), true},
    {QLatin1StringView("qmljsdebugger"), false}, // its value only after '='
    {QLatin1StringView("reverse"), false},
    {QLatin1StringView("widgetcount"), false},
    {QLatin1StringView("testability"), false},
    {QLatin1StringView("nograb"), false},
    {QLatin1StringView("dograb"), false},
    {QLatin1StringView("sync"), false},
};

// The option an argument names ("-style=x" -> style), or empty.
QString optionName(const QString &argument)
{
    if (!argument.startsWith(u'-'))
        return {};
    const QString name = argument.mid(argument.startsWith(QLatin1StringView("--")) ? 2 : 1);
    return name.section(u'=', 0, 0);
}

const QtOption *qtOption(const QString &name)
{
    for (const QtOption &option : qtOptions) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

} // namespace

QStringList withoutQtOptions(const QStringList &arguments)
{
    // The first argument is the program's name.
    QStringList left = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const QtOption *option = qtOption(optionName(argument));
        if (!option)
            left.append(argument);
        else if (option->takesValue && !argument.contains(u'='))
            ++i; // its value
    }
    return left;
}
