#include "ui/format_dialog.h"

#include "core/time_out_entry.h"
#include "devices/capture_session.h"
#include "ui/form.h"
#include "ui/program_icon.h"
#include "ui/program_message.h"
#include "ui/window_font.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Where one channel's frame and its controls stand. Each frame is its own
// option group, so the pairs don't exclude each other.
struct FrameDesign
{
    int channel;
    Place frame;
    Place addOn, clearFirst, timeOut, timeOutLabel;
    Qt::Alignment labelAlignment;
};

// clang-format off
// "Clear old data first" is as wide as the option above it (designed 1575),
// and channel 2's label wider than its designed 975, so no caption is cut.
const FrameDesign comm1Design{1, {360, 240, 2415, 1695},
    {360, 360, 1815, 255}, {360, 720, 1815, 255}, {360, 1200, 735, 285},
    {1080, 1200, 1095, 255}, Qt::AlignHCenter};
const FrameDesign comm2Design{2, {360, 2280, 2415, 1695},
    {360, 360, 1815, 255}, {360, 720, 1815, 255}, {360, 1200, 735, 285},
    {1200, 1200, 1095, 255}, Qt::AlignLeft};
const Place applyPlace{360, 4200, 975, 375};
const Place cancelPlace{1800, 4200, 975, 375};
constexpr int dialogWidth = 3195;
constexpr int dialogHeight = 4800;
// clang-format on
// Channels past the second stand below it, each a frame's step further down,
// and the buttons and the window's foot move down with them.
constexpr int frameStep = 2040;

Place lowered(Place place, int by)
{
    place.top += by;
    return place;
}

FrameDesign designOf(int channel)
{
    if (channel == 1)
        return comm1Design;
    FrameDesign d = comm2Design;
    d.channel = channel;
    d.frame = lowered(d.frame, (channel - 2) * frameStep);
    return d;
}

FormatDialog::ChannelFrame addChannelFrame(QWidget *window, const FrameDesign &d)
{
    const QByteArray suffix = QByteArray::number(d.channel);
    FormatDialog::ChannelFrame c;
    c.frame =
        placeFrame(window, "fraComm" + suffix, FormatDialog::tr("Comm %1").arg(d.channel), d.frame);
    c.addTo[0] = placeOption(c.frame, "optAddTo" + suffix, 0,
                             FormatDialog::tr("Add to present data"), d.addOn);
    c.addTo[1] = placeOption(c.frame, "optAddTo" + suffix, 1,
                             FormatDialog::tr("Clear old data first"), d.clearFirst);
    c.timeOut = placeControl<QLineEdit>(c.frame, "txtTimeOut" + suffix, d.timeOut);
    c.timeOut->setText(QStringLiteral("Text1"));
    c.timeOutLabel = placeLabel(c.frame, "lblTimeOut" + suffix, FormatDialog::tr("Time Out (ms)"),
                                d.labelAlignment, d.timeOutLabel);
    c.timeOutLabel->setBuddy(c.timeOut);
    // Both frames have the same captions: the names say the channel.
    c.timeOut->setAccessibleName(FormatDialog::tr("Comm %1 time-out in ms").arg(d.channel));
    c.timeOut->setAccessibleDescription(
        FormatDialog::tr("How long the line must be quiet before Time Out shows the data, "
                         "%1 to %2 ms")
            .arg(TimeOutEntry::minimum)
            .arg(TimeOutEntry::maximum));
    c.addTo[0]->setAccessibleName(FormatDialog::tr("Comm %1: add to present data").arg(d.channel));
    c.addTo[1]->setAccessibleName(FormatDialog::tr("Comm %1: clear old data first").arg(d.channel));
    return c;
}

void selectAddTo(const std::array<QRadioButton *, 2> &pair, AccumulateMode addTo)
{
    pair[addTo == AccumulateMode::AddOn ? 0 : 1]->setChecked(true);
}

AccumulateMode addToOf(const std::array<QRadioButton *, 2> &pair)
{
    return pair[0]->isChecked() ? AccumulateMode::AddOn : AccumulateMode::ClearFirst;
}

} // namespace

FormatDialog::FormatDialog(CaptureSession &session, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_session(session)
{
    setObjectName(QStringLiteral("frmFormat"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Format"));
    setWindowIcon(programIcon());
    setFont(windowFont());
    const int below = (session.channelCount() - 2) * frameStep;
    setFixedSize(twipsSize(dialogWidth, dialogHeight + below));

    for (int n : session.channelNumbers())
        m_frames.push_back(addChannelFrame(this, designOf(n)));

    cmdApply = placeButton(this, "cmdApply", tr("Apply"), lowered(applyPlace, below));
    cmdCancel = placeButton(this, "cmdCancel", tr("Cancel"), lowered(cancelPlace, below));

    // The frames and labels take no focus; the rest follow in this order:
    // the buttons, each channel's options, then each channel's time-out.
    QList<QWidget *> order{cmdApply, cmdCancel};
    for (const ChannelFrame &c : m_frames)
        order << c.addTo[0] << c.addTo[1];
    for (const ChannelFrame &c : m_frames)
        order << c.timeOut;
    m_tabOrder.setOrder(order);

    connect(cmdApply, &QPushButton::clicked, this, &FormatDialog::cmdApplyClick);
    connect(cmdCancel, &QPushButton::clicked, this, &FormatDialog::cmdCancelClick);
    closeOnEscape(this, [this] { cmdCancelClick(); });

    // Loaded once per instance: showing it again keeps the operator's edits.
    load();
}

bool FormatDialog::focusNextPrevChild(bool next)
{
    return m_tabOrder.moveFocus(next) || QWidget::focusNextPrevChild(next);
}

void FormatDialog::load()
{
    for (const ChannelFrame &c : m_frames) {
        const ChannelModule &module = m_session.channel(frameChannel(c)).module();
        c.timeOut->setText(TimeOutEntry::text(module.intTimeOut));
        selectAddTo(c.addTo, module.addTo);
    }
}

int FormatDialog::frameChannel(const ChannelFrame &frame) const
{
    return int(&frame - m_frames.data()) + 1;
}

void FormatDialog::cmdApplyClick()
{
    // Every field is checked before anything is stored, so a refused field
    // never leaves half the settings changed.
    QStringList texts;
    for (const ChannelFrame &c : m_frames)
        texts << c.timeOut->text();
    const TimeOutEntry::Fields timeOuts = TimeOutEntry::readAll(texts);
    if (!timeOuts.accepted()) {
        showProgramMessage(this, timeOuts.refusal);
        return;
    }
    for (const ChannelFrame &c : m_frames) {
        Channel &channel = m_session.channel(frameChannel(c));
        channel.setTimeOut(timeOuts.timeOuts.at(frameChannel(c) - 1));
        channel.setAccumulate(addToOf(c.addTo));
    }
    close();
}

void FormatDialog::cmdCancelClick()
{
    close();
}

#include "moc_format_dialog.cpp"
