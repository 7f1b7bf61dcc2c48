#include "ui/display_layout.h"

#include <algorithm>

// clang-format off
namespace {

const ChannelDesign channel1Design{
    "optComm", "frsTrans1", "optCR1", "1", Qt::AlignHCenter,
    {360, 120, 8775, 3615}, {480, 300, 975, 255}, {1500, 240, 1335, 315},
    {6720, 285, 585, 255}, {7320, 285, 615, 255},
    {240, 705, 1335, 1095}, {120, 240, 735, 255}, {120, 520, 975, 255}, {120, 800, 735, 255},
    {240, 1845, 1335, 1095}, {120, 240, 1095, 255}, {120, 520, 975, 255}, {120, 800, 1095, 255},
    {240, 3075, 1335, 255}, {1920, 840, 4695, 2535},
    {6960, 720, 1575, 2655}, {120, 240, 1095, 255}, {120, 540, 1215, 255},
    {240, 880, 1095, 255}, {240, 1200, 1095, 255}, {500, 1500, 735, 255},
    {240, 1800, 1095, 615},
    {2880, 300, 255, 255}, {4920, 300, 495, 255}, {3600, 360, 1575, 315},
    {5880, 360, 735, 315}};

const ChannelDesign channel2Design{
    "optCom1", "fraTransmit2", "optCr2", "2", Qt::AlignLeft,
    {360, 3840, 8775, 3375}, {1620, 150, 855, 255}, {2520, 120, 1335, 315},
    {3960, 150, 600, 255}, {4620, 150, 615, 255},
    {240, 350, 1335, 1095}, {120, 240, 975, 255}, {120, 520, 975, 255}, {120, 800, 975, 255},
    {240, 1480, 1335, 1095}, {120, 240, 1095, 255}, {120, 520, 1095, 255}, {120, 800, 1090, 255},
    {240, 2720, 1335, 255}, {1920, 480, 4695, 2535},
    {6960, 480, 1575, 2535}, {120, 240, 1215, 255}, {120, 540, 1215, 255},
    {240, 880, 1095, 255}, {240, 1200, 1095, 255}, {500, 1500, 735, 255},
    {240, 1800, 1095, 615},
    // The network fields, shown once a network entry is chosen: on the
    // frame's top row, right of On and Off, clear of the frames' titles.
    {5340, 150, 255, 255}, {6780, 150, 495, 255}, {6000, 3960, 1095, 315},
    {7680, 3960, 555, 315}};
// clang-format on

} // namespace

ChannelDesign viewDesign(int number)
{
    // The irregular names of the form's own channels; the others' follow one rule.
    // The port list shows the channel's number at first, as on the form.
    static const char *const numberedNames[][4] = {
        {"optOnOff3", "fraTransmit3", "optCR3", "3"}, {"optOnOff4", "fraTransmit4", "optCR4", "4"},
        {"optOnOff5", "fraTransmit5", "optCR5", "5"}, {"optOnOff6", "fraTransmit6", "optCR6", "6"},
        {"optOnOff7", "fraTransmit7", "optCR7", "7"}, {"optOnOff8", "fraTransmit8", "optCR8", "8"}};
    ChannelDesign design = number == 1 ? channel1Design : channel2Design;
    if (number > 2) {
        const auto &names = numberedNames[std::clamp(number - 3, 0, 5)];
        design.onOffName = names[0];
        design.transmitName = names[1];
        design.afterCrName = names[2];
        design.shownPort = names[3];
    }
    // The fields on the window move with the frame.
    for (Place *onWindow : {&design.txtHost, &design.txtPort}) {
        onWindow->left -= design.fraPort.left;
        onWindow->top -= design.fraPort.top;
    }
    design.fraPort.left = design.fraPort.top = 0;
    return design;
}

const ChannelDesign &channelDesign(int number)
{
    Q_ASSERT(number == 1 || number == 2);
    return number == 1 ? channel1Design : channel2Design;
}
