#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Which two channels a bridge links and which way their bytes go, in the
// words a setup file and a script use: "1>2" (what channel 1 receives goes
// out of channel 2), "1<2" (the other way), "1<>2" (both ways), or "Off".
struct BridgeChoice
{
    enum class Ways
    {
        Forward, // what `a` receives goes out of `b`
        Back,    // what `b` receives goes out of `a`
        Both
    };

    int a = 0; // 0: no bridge
    int b = 0;
    Ways ways = Ways::Both;

    bool isOn() const { return a != 0; }
    bool carriesForward() const { return isOn() && ways != Ways::Back; }
    bool carriesBack() const { return isOn() && ways != Ways::Forward; }
    QString text() const;
    // The choice a text names, with both channel numbers from 1 to
    // `channels` and different; nothing for any other text. Spaces around
    // the parts are allowed; "off" in any case and an empty text are Off.
    static std::optional<BridgeChoice> fromText(QStringView text, int channels);

    bool operator==(const BridgeChoice &) const = default;
};
