#include "ui/format_dialog.h"

#include "core/channel_state.h"
#include "core/keywords.h"
#include "core/time_out_entry.h"
#include "ui/program_icon.h"
#include "ui/program_message.h"
#include "ui/twips.h"
#include "ui/window_font.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

namespace {

// One channel's frame. Each frame is its own option group, so the pairs
// don't exclude each other.
struct ChannelControls
{
    QGroupBox *frame;
    std::array<QRadioButton *, 2> addTo;
    QLineEdit *timeOut;
    QLabel *timeOutLabel;
};

ChannelControls addChannelFrame(QWidget *window, int channel, int frameTop, int labelLeft,
                                int labelWidth, Qt::Alignment labelAlignment)
{
    const QString suffix = QString::number(channel);
    ChannelControls c;
    c.frame = new QGroupBox(QStringLiteral("Comm ") + suffix, window);
    c.frame->setObjectName(QStringLiteral("fraComm") + suffix);
    c.frame->setGeometry(twipsRect(360, frameTop, 2415, 1695));

    c.addTo[0] = new QRadioButton(QStringLiteral("Add to present data"), c.frame);
    c.addTo[0]->setGeometry(twipsRect(360, 360, 1815, 255));
    c.addTo[1] = new QRadioButton(QStringLiteral("Clear old data first"), c.frame);
    // As wide as the option above it (designed 1575), so the caption isn't cut.
    c.addTo[1]->setGeometry(twipsRect(360, 720, 1815, 255));
    for (int index = 0; index < 2; ++index) {
        c.addTo[index]->setObjectName(QStringLiteral("optAddTo") + suffix);
        c.addTo[index]->setProperty("index", index);
    }

    c.timeOut = new QLineEdit(QStringLiteral("Text1"), c.frame);
    c.timeOut->setObjectName(QStringLiteral("txtTimeOut") + suffix);
    c.timeOut->setGeometry(twipsRect(360, 1200, 735, 285));

    c.timeOutLabel = new QLabel(QStringLiteral("Time Out (ms)"), c.frame);
    c.timeOutLabel->setObjectName(QStringLiteral("lblTimeOut") + suffix);
    c.timeOutLabel->setGeometry(twipsRect(labelLeft, 1200, labelWidth, 255));
    c.timeOutLabel->setAlignment(labelAlignment | Qt::AlignVCenter);
    return c;
}

QPushButton *addButton(QWidget *window, const char *name, const QString &caption, QRect geometry)
{
    auto *button = new QPushButton(caption, window);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

void selectAddTo(const std::array<QRadioButton *, 2> &pair, const QString &strAddTo)
{
    pair[keepsPaneText(strAddTo) ? 0 : 1]->setChecked(true);
}

QString addToOf(const std::array<QRadioButton *, 2> &pair)
{
    return pair[0]->isChecked() ? QString(Keyword::AddOn) : QString(Keyword::ClearFirst);
}

} // namespace

FormatDialog::FormatDialog(ModuleValues &values, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_values(values)
{
    setObjectName(QStringLiteral("frmFormat"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Format"));
    setWindowIcon(programIcon());
    setFont(windowFont());
    setFixedSize(twipsSize(3195, 4800));

    const ChannelControls comm1 = addChannelFrame(this, 1, 240, 1080, 1095, Qt::AlignHCenter);
    fraComm1 = comm1.frame;
    optAddTo1 = comm1.addTo;
    txtTimeOut1 = comm1.timeOut;
    lblTimeOut1 = comm1.timeOutLabel;

    // Designed 975 wide, which cuts the caption's last character.
    const ChannelControls comm2 = addChannelFrame(this, 2, 2280, 1200, 1095, Qt::AlignLeft);
    fraComm2 = comm2.frame;
    optAddTo2 = comm2.addTo;
    txtTimeOut2 = comm2.timeOut;
    lblTimeOut2 = comm2.timeOutLabel;

    cmdApply = addButton(this, "cmdApply", QStringLiteral("Apply"), twipsRect(360, 4200, 975, 375));
    cmdCancel =
        addButton(this, "cmdCancel", QStringLiteral("Cancel"), twipsRect(1800, 4200, 975, 375));

    // The frames and labels take no focus; the rest follow in this order.
    QWidget *const order[] = {cmdApply,     cmdCancel,    optAddTo1[0], optAddTo1[1],
                              optAddTo2[0], optAddTo2[1], txtTimeOut1,  txtTimeOut2};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(cmdApply, &QPushButton::clicked, this, &FormatDialog::cmdApplyClick);
    connect(cmdCancel, &QPushButton::clicked, this, &FormatDialog::cmdCancelClick);

    // Loaded once per instance: showing it again keeps the operator's edits.
    load();
}

void FormatDialog::load()
{
    txtTimeOut1->setText(TimeOutEntry::text(m_values.channel1.intTimeOut));
    txtTimeOut2->setText(TimeOutEntry::text(m_values.channel2.intTimeOut));
    selectAddTo(optAddTo1, m_values.channel1.strAddTo);
    selectAddTo(optAddTo2, m_values.channel2.strAddTo);
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
    m_values.channel1.intTimeOut = timeOuts.timeOut1;
    m_values.channel2.intTimeOut = timeOuts.timeOut2;
    m_values.channel1.strAddTo = addToOf(optAddTo1);
    m_values.channel2.strAddTo = addToOf(optAddTo2);
    const QPointer<FormatDialog> self(this);
    emit applied();
    if (self)
        close();
}

void FormatDialog::cmdCancelClick()
{
    close();
}
