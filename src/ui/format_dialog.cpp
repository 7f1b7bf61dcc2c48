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

struct ChannelFrame
{
    QGroupBox *frame;
    std::array<QRadioButton *, 2> addTo;
    QLineEdit *timeOut;
    QLabel *timeOutLabel;
};

ChannelFrame addChannelFrame(QWidget *window, const FrameDesign &d)
{
    const QByteArray suffix = QByteArray::number(d.channel);
    ChannelFrame c;
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
    setFixedSize(twipsSize(dialogWidth, dialogHeight));

    const ChannelFrame comm1 = addChannelFrame(this, comm1Design);
    fraComm1 = comm1.frame;
    optAddTo1 = comm1.addTo;
    txtTimeOut1 = comm1.timeOut;
    lblTimeOut1 = comm1.timeOutLabel;

    const ChannelFrame comm2 = addChannelFrame(this, comm2Design);
    fraComm2 = comm2.frame;
    optAddTo2 = comm2.addTo;
    txtTimeOut2 = comm2.timeOut;
    lblTimeOut2 = comm2.timeOutLabel;

    cmdApply = placeButton(this, "cmdApply", tr("Apply"), applyPlace);
    cmdCancel = placeButton(this, "cmdCancel", tr("Cancel"), cancelPlace);

    // The frames and labels take no focus; the rest follow in this order.
    QWidget *const order[] = {cmdApply,     cmdCancel,    optAddTo1[0], optAddTo1[1],
                              optAddTo2[0], optAddTo2[1], txtTimeOut1,  txtTimeOut2};
    m_tabOrder.setOrder({std::begin(order), std::end(order)});

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
    const ChannelModule &one = m_session.channel(1).module();
    const ChannelModule &two = m_session.channel(2).module();
    txtTimeOut1->setText(TimeOutEntry::text(one.intTimeOut));
    txtTimeOut2->setText(TimeOutEntry::text(two.intTimeOut));
    selectAddTo(optAddTo1, one.addTo);
    selectAddTo(optAddTo2, two.addTo);
}

void FormatDialog::cmdApplyClick()
{
    // Both fields are checked before anything is stored, so a refused field
    // never leaves half the settings changed.
    const TimeOutEntry::Pair timeOuts =
        TimeOutEntry::readPair(txtTimeOut1->text(), txtTimeOut2->text());
    if (!timeOuts.accepted()) {
        showProgramMessage(this, timeOuts.refusal);
        return;
    }
    Channel &one = m_session.channel(1);
    Channel &two = m_session.channel(2);
    one.setTimeOut(timeOuts.timeOut1);
    two.setTimeOut(timeOuts.timeOut2);
    one.setAccumulate(addToOf(optAddTo1));
    two.setAccumulate(addToOf(optAddTo2));
    close();
}

void FormatDialog::cmdCancelClick()
{
    close();
}

#include "moc_format_dialog.cpp"
