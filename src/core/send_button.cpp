#include "core/send_button.h"

#include "core/send_text.h"

namespace {

const QLatin1String sendButtonHexWord("hex");
const QLatin1String sendButtonTextWord("text");

} // namespace

QString SendButton::toSetupText() const
{
    if (!isDefined())
        return {};
    return QStringList{name, hexPairs ? sendButtonHexWord : sendButtonTextWord,
                       QString::number(repeatMs), text}
        .join(QLatin1Char('\t'));
}

std::optional<SendButton> SendButton::fromSetupText(const QString &line)
{
    if (line.contains(QLatin1Char('\n')) || line.contains(QLatin1Char('\r')))
        return std::nullopt;
    if (line.isEmpty())
        return SendButton{};
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() < 4 || fields.at(0).trimmed().isEmpty())
        return std::nullopt;
    SendButton button;
    button.name = fields.at(0);
    if (fields.at(1) == sendButtonHexWord)
        button.hexPairs = true;
    else if (fields.at(1) != sendButtonTextWord)
        return std::nullopt;
    bool ok = false;
    button.repeatMs = fields.at(2).toInt(&ok);
    if (!ok || button.repeatMs < 0 || (button.repeatMs > 0 && button.repeatMs < shortestRepeatMs) ||
        button.repeatMs > longestRepeatMs)
        return std::nullopt;
    button.text = fields.mid(3).join(QLatin1Char('\t'));
    if (!SendText::of(button.text, button.hexPairs).ok())
        return std::nullopt;
    return button;
}
