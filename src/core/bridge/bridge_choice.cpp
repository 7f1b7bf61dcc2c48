#include "core/bridge/bridge_choice.h"

#include <QRegularExpression>

QString BridgeChoice::text() const
{
    if (!isOn())
        return QStringLiteral("Off");
    const char *arrow = ways == Ways::Forward ? ">" : ways == Ways::Back ? "<" : "<>";
    return QStringLiteral("%1%2%3").arg(a).arg(QLatin1String(arrow)).arg(b);
}

std::optional<BridgeChoice> BridgeChoice::fromText(QStringView text, int channels)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
        return BridgeChoice{};
    static const QRegularExpression form(
        QStringLiteral("^([0-9]{1,2})\\s*(<>|>|<)\\s*([0-9]{1,2})$"));
    const QRegularExpressionMatch match = form.match(trimmed);
    if (!match.hasMatch())
        return std::nullopt;
    BridgeChoice choice;
    choice.a = match.capturedView(1).toInt();
    choice.b = match.capturedView(3).toInt();
    const QStringView arrow = match.capturedView(2);
    choice.ways = arrow == QLatin1String(">")   ? Ways::Forward
                  : arrow == QLatin1String("<") ? Ways::Back
                                                : Ways::Both;
    const auto onList = [channels](int n) {
        return n >= 1 && n <= channels;
    };
    if (!onList(choice.a) || !onList(choice.b) || choice.a == choice.b)
        return std::nullopt;
    return choice;
}
