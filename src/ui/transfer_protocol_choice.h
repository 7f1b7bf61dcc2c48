#pragma once

#include "core/transfer_protocol.h"

#include <QDialog>
#include <QList>

class QButtonGroup;

// A small dialog that asks how a file goes: Raw (first, when offered, and the
// default) or one of the protocols. A protocol whose lrzsz program is not
// installed is disabled, and a note names the package to install.
class TransferProtocolChoice : public QDialog
{
    Q_OBJECT

public:
    TransferProtocolChoice(const QString &title, const QList<TransferProtocol> &offered,
                           QWidget *parent);

    TransferProtocol chosen() const;

    // Asks; false when the operator cancels.
    static bool ask(QWidget *parent, const QString &title, const QList<TransferProtocol> &offered,
                    TransferProtocol *chosen);

private:
    QButtonGroup *m_buttons = nullptr;
};
