// A bridge choice in a setup file or a script: any text gives a choice
// between two different channels that exist, Off, or nothing; and a choice
// written out reads back as itself.
#include "core/bridge/bridge_choice.h"
#include "core/channel_list.h"
#include "fuzz_check.h"

#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    g_input = QByteArrayView(data, qsizetype(size));
    if (size == 0)
        return 0;
    // The first byte picks how many channels the run has.
    const int channels =
        defaultChannelCount + data[0] % (maxChannelCount - defaultChannelCount + 1);
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const std::optional<BridgeChoice> choice = BridgeChoice::fromText(text, channels);
    if (!choice)
        return 0;
    if (choice->isOn()) {
        check(choice->a >= 1 && choice->a <= channels && choice->b >= 1 && choice->b <= channels,
              "a channel that is not there");
        check(choice->a != choice->b, "a channel bridged to itself");
    }
    const std::optional<BridgeChoice> again = BridgeChoice::fromText(choice->text(), channels);
    check(again && *again == *choice, "the choice written out does not read back");
    return 0;
}
