#include "ui/bridge_dialog.h"

#include "core/channel_list.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

#include <algorithm>

namespace {

// A list of the channels, `number` chosen.
QComboBox *bridgeChannelBox(QDialog *dialog, const QString &name, int number, int channelCount)
{
    auto *box = new QComboBox(dialog);
    box->setObjectName(name);
    for (int n : channelNumbers(channelCount))
        box->addItem(QDialog::tr("Comm Port %1").arg(n), n);
    box->setCurrentIndex(std::max(0, box->findData(number)));
    return box;
}

} // namespace

std::optional<BridgeChoice> askBridgeChoice(QWidget *parent, const BridgeChoice &last,
                                            int channelCount)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgBridge"));
    dialog.setWindowTitle(QDialog::tr("Bridge"));
    auto *on = new QCheckBox(QDialog::tr("&Bridge two channels"), &dialog);
    on->setObjectName(QStringLiteral("chkBridge"));
    on->setChecked(last.isOn());
    on->setToolTip(QDialog::tr("What one channel receives goes out of the other, while both "
                               "show and record it; typing still goes to the channel typed in"));
    auto *a = bridgeChannelBox(&dialog, QStringLiteral("cboBridgeA"), last.isOn() ? last.a : 1,
                               channelCount);
    auto *b = bridgeChannelBox(&dialog, QStringLiteral("cboBridgeB"), last.isOn() ? last.b : 2,
                               channelCount);
    auto *ways = new QComboBox(&dialog);
    ways->setObjectName(QStringLiteral("cboBridgeWays"));
    ways->addItems({QDialog::tr("What the first receives goes out of the second"),
                    QDialog::tr("What the second receives goes out of the first"),
                    QDialog::tr("Both ways")});
    ways->setCurrentIndex(int(last.ways));

    auto *layout = new QFormLayout(&dialog);
    layout->addRow(on);
    layout->addRow(QDialog::tr("&First:"), a);
    layout->addRow(QDialog::tr("&Second:"), b);
    layout->addRow(QDialog::tr("&Way:"), ways);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addRow(buttons);
    // Two different channels, or no bridge at all.
    const auto allowOk = [on, a, b, buttons] {
        buttons->button(QDialogButtonBox::Ok)
            ->setEnabled(!on->isChecked() || a->currentIndex() != b->currentIndex());
    };
    for (QComboBox *box : {a, b})
        QObject::connect(box, &QComboBox::currentIndexChanged, &dialog, allowOk);
    QObject::connect(on, &QCheckBox::toggled, &dialog, allowOk);
    allowOk();
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    if (!on->isChecked())
        return BridgeChoice{};
    return BridgeChoice{a->currentData().toInt(), b->currentData().toInt(),
                        BridgeChoice::Ways(ways->currentIndex())};
}
