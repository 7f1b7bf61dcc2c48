#include "ui/serial_setup_dialog.h"

#include "devices/capture_session.h"
#include "devices/line_settings.h"
#include "ui/form.h"
#include "ui/program_icon.h"
#include "ui/program_message.h"
#include "ui/window_font.h"
#include "ui/window_placement.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// clang-format off
// The window's client area, below its menu bar, and its controls.
constexpr int clientWidth = 3600;
constexpr int clientHeight = 4260;
const Place fraBaudSelPlace{360, 120, 1335, 2655};
const Place cboBaudSelPlace{240, 360, 855, 1935};
const Place fraLengthPlace{2040, 120, 1095, 735};
const Place cboDataPlace{240, 240, 615, 315};
const Place fraStopsPlace{2040, 1080, 1095, 735};
const Place cboStopsPlace{240, 240, 615, 288};
const Place fraParityPlace{2040, 2040, 1095, 735};
const Place cboParityPlace{240, 240, 615, 288};
const Place fraAppliesToPlace{360, 2880, 2775, 600};
const Place cboAppliesToPlace{240, 240, 2295, 288};
const Place cmdClosePlace{480, 3600, 1095, 400};
const Place cmdCancelPlace{1920, 3600, 1095, 400};
// clang-format on

QComboBox *addDropDown(QWidget *frame, QByteArrayView name, const QStringList &items,
                       const Place &at)
{
    auto *combo = placeControl<QComboBox>(frame, name, at);
    combo->setEditable(true);
    // Typed values are stored as typed, never added to the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    keepTypedText(combo);
    return combo;
}

// The single character at `index` of `text`, or nothing past its end.
QString charAt(const QString &text, qsizetype index)
{
    return index < text.size() ? text.mid(index, 1) : QString();
}

} // namespace

SimpleComboBox::SimpleComboBox(QWidget *parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_list(new QListWidget(this))
{
    // The pair acts as one control: focus stays in the text field and the
    // arrow keys move through the list from there.
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_edit);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setTextElideMode(Qt::ElideNone);
    m_edit->installEventFilter(this);

    connect(m_edit, &QLineEdit::textEdited, this, [this] { selectMatchingItem(); });
    connect(m_list, &QListWidget::currentTextChanged, this, [this](const QString &item) {
        if (m_syncing || item.isNull())
            return;
        m_edit->setText(item);
        m_edit->selectAll();
    });
}

QString SimpleComboBox::text() const
{
    return m_edit->text();
}

void SimpleComboBox::setText(const QString &text)
{
    m_edit->setText(text);
    selectMatchingItem();
}

void SimpleComboBox::addItems(const QStringList &items)
{
    m_syncing = true;
    m_list->addItems(items);
    m_syncing = false;
    selectMatchingItem();
}

void SimpleComboBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int editHeight = qMin(m_edit->sizeHint().height(), height());
    m_edit->setGeometry(0, 0, width(), editHeight);
    m_list->setGeometry(0, editHeight, width(), height() - editHeight);
}

bool SimpleComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            stepSelection(key == Qt::Key_Down ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SimpleComboBox::selectMatchingItem()
{
    // Only an entry that matches the whole text is marked; other text stands
    // on its own.
    m_syncing = true;
    const QList<QListWidgetItem *> matches = m_list->findItems(m_edit->text(), Qt::MatchExactly);
    if (matches.isEmpty()) {
        m_list->setCurrentRow(-1);
        m_list->clearSelection();
    } else {
        m_list->setCurrentItem(matches.first());
        m_list->scrollToItem(matches.first());
    }
    m_syncing = false;
}

void SimpleComboBox::stepSelection(int step)
{
    if (m_list->count() == 0)
        return;
    const int row = m_list->currentRow() < 0 ? 0 : m_list->currentRow() + step;
    m_list->setCurrentRow(qBound(0, row, m_list->count() - 1));
}

SerialSetupDialog::SerialSetupDialog(CaptureSession &session, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_session(session)
{
    setObjectName(QStringLiteral("frmSerialSetup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Serial Setup"));
    setWindowIcon(programIcon());
    setFont(windowFont());

    // The menu bar sits above the client area, whose layout is in twips.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    layout->setMenuBar(menuBar);
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(twipsSize(clientWidth, clientHeight));
    layout->addWidget(client);

    mnuFile = menuBar->addMenu(tr("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFileClose = mnuFile->addAction(tr("&Close"));
    mnuFileClose->setObjectName(QStringLiteral("mnuFileClose"));
    mnuFileExit = mnuFile->addAction(tr("&Exit"));
    mnuFileExit->setObjectName(QStringLiteral("mnuFileExit"));

    fraBaudSel = placeFrame(client, "fraBaudSel", tr("Baud Rate"), fraBaudSelPlace);
    cboBaudSel = placeControl<SimpleComboBox>(fraBaudSel, "cboBaudSel", cboBaudSelPlace);
    cboBaudSel->addItems({QStringLiteral("300"), QStringLiteral("1200"), QStringLiteral("2400"),
                          QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"),
                          QStringLiteral("38400"), QStringLiteral("57600"),
                          QStringLiteral("115200"), QStringLiteral("230400"),
                          QStringLiteral("460800"), QStringLiteral("921600")});
    cboBaudSel->setText(QStringLiteral("9600"));

    fraLength = placeFrame(client, "fraLength", tr("Data"), fraLengthPlace);
    cboData =
        addDropDown(fraLength, "cboData", {QStringLiteral("8"), QStringLiteral("7")}, cboDataPlace);

    fraStops = placeFrame(client, "fraStops", tr("Stop"), fraStopsPlace);
    cboStops = addDropDown(fraStops, "cboStops", {QStringLiteral("1"), QStringLiteral("2")},
                           cboStopsPlace);

    fraParity = placeFrame(client, "fraParity", tr("Parity"), fraParityPlace);
    cboParity = addDropDown(fraParity, "cboParity",
                            {QStringLiteral("N"), QStringLiteral("O"), QStringLiteral("E"),
                             QStringLiteral("+"), QStringLiteral("-")},
                            cboParityPlace);

    // All channels first (their shared settings), then each on its own.
    fraAppliesTo = placeFrame(client, "fraAppliesTo", tr("Applies to"), fraAppliesToPlace);
    cboAppliesTo = placeControl<QComboBox>(fraAppliesTo, "cboAppliesTo", cboAppliesToPlace);
    const QList<Channel *> channels = session.channels();
    cboAppliesTo->addItem(channels.size() == 2 ? tr("Both channels") : tr("All channels"), 0);
    for (const Channel *channel : channels)
        cboAppliesTo->addItem(tr("Comm Port %1").arg(channel->number()), channel->number());

    cmdClose = placeButton(client, "cmdClose", tr("Apply"), cmdClosePlace);
    cmdCancel = placeButton(client, "cmdCancel", tr("Cancel"), cmdCancelPlace);

    // For screen readers: the frames' captions are terse.
    cboBaudSel->lineEdit()->setAccessibleName(tr("Baud rate"));
    cboBaudSel->lineEdit()->setAccessibleDescription(tr("Type a speed or choose one below"));
    cboBaudSel->listWidget()->setAccessibleName(tr("Baud rates"));
    cboData->setAccessibleName(tr("Data bits"));
    cboStops->setAccessibleName(tr("Stop bits"));
    cboParity->setAccessibleName(tr("Parity"));
    cboParity->setAccessibleDescription(tr("N none, O odd, E even, + mark, - space"));
    cboAppliesTo->setAccessibleName(tr("Applies to"));

    QWidget *const order[] = {cboBaudSel,   cboData,  cboStops, cboParity,
                              cboAppliesTo, cmdClose, cmdCancel};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(cmdClose, &QPushButton::clicked, this, &SerialSetupDialog::cmdCloseClick);
    connect(mnuFileClose, &QAction::triggered, this, &SerialSetupDialog::cmdCloseClick);
    connect(cmdCancel, &QPushButton::clicked, this, &SerialSetupDialog::cmdCancelClick);
    connect(mnuFileExit, &QAction::triggered, this, &SerialSetupDialog::exitRequested);
    connect(cboAppliesTo, &QComboBox::currentIndexChanged, this, &SerialSetupDialog::load);
    closeOnEscape(this, [this] { cmdCancelClick(); });

    load();
    adjustSize();
    centreOnOwner(this);
}

QString SerialSetupDialog::baudText() const
{
    return cboBaudSel->text();
}
QString SerialSetupDialog::parityText() const
{
    return cboParity->currentText();
}
QString SerialSetupDialog::dataText() const
{
    return cboData->currentText();
}
QString SerialSetupDialog::stopsText() const
{
    return cboStops->currentText();
}

int SerialSetupDialog::appliesTo() const
{
    return cboAppliesTo->currentData().toInt();
}

void SerialSetupDialog::load()
{
    // The fields are found by their place after the first comma: parity,
    // data and stop are read as one character each.
    const int number = appliesTo();
    const QString settings =
        number == 0 ? m_session.serialSettings() : m_session.channel(number).serialSettings();
    const qsizetype comma = settings.indexOf(QLatin1Char(','));
    if (comma < 0) {
        cboBaudSel->setText(settings);
        cboParity->setCurrentText(QString());
        cboData->setCurrentText(QString());
        cboStops->setCurrentText(QString());
        return;
    }
    cboBaudSel->setText(settings.left(comma));
    cboParity->setCurrentText(charAt(settings, comma + 1));
    cboData->setCurrentText(charAt(settings, comma + 3));
    cboStops->setCurrentText(charAt(settings, comma + 5));
}

void SerialSetupDialog::cmdCloseClick()
{
    const QString speed = baudText();
    const QString parity = parityText();
    const QString data = dataText();
    const QString stop = stopsText();
    // A field that would not fit the settings string is refused before
    // anything is stored, so a stray comma can't shift the fields for good.
    const QString refusal = lineSettingsFieldsRefusal(speed, parity, data, stop);
    if (!refusal.isEmpty()) {
        showProgramMessage(this, tr("Serial Setup: %1.").arg(refusal),
                           tr("The settings were not stored."));
        return;
    }
    const QString settings =
        speed + QLatin1Char(',') + parity + QLatin1Char(',') + data + QLatin1Char(',') + stop;
    if (appliesTo() != 0) {
        applyToChannel(appliesTo(), settings);
        close();
        return;
    }
    m_session.setSerialSettings(settings);
    // The main window's reload may take this window's owner with it.
    const QPointer<SerialSetupDialog> self(this);
    emit applied();
    if (self)
        close();
}

void SerialSetupDialog::applyToChannel(int number, const QString &settings)
{
    m_session.setChannelSettings(number, settings);
    Channel &channel = m_session.channel(number);
    if (!channel.isOn())
        return;
    // An open port takes them where it stands: its pane and recordings go on.
    const QString refused = channel.changeSettings(settings);
    if (!refused.isEmpty())
        showProgramMessage(this,
                           tr("Comm Port %1 goes on with the settings in use; it switches on "
                              "with %2 next time.")
                               .arg(number)
                               .arg(settings),
                           refused);
}

void SerialSetupDialog::cmdCancelClick()
{
    close();
}

#include "moc_serial_setup_dialog.cpp"
