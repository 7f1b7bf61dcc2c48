#pragma once

#include "core/transfer_protocol.h"

#include <QDialog>
#include <QList>

#include <optional>

class QButtonGroup;

// A small dialog that asks how a file goes: Raw (first, when offered, and the
// default unless another is preferred) or one of the protocols. A protocol whose lrzsz program is
// not installed is disabled, and a note names the package to install.
class TransferProtocolChoice : public QDialog
{
    Q_OBJECT

public:
    // `preferred` is chosen at first when it is offered and can be used;
    // otherwise the first that can be.
    TransferProtocolChoice(const QString &title, const QList<TransferProtocol> &offered,
                           QWidget *parent,
                           std::optional<TransferProtocol> preferred = std::nullopt);

    TransferProtocol chosen() const;

    // Asks, `*chosen` chosen at first when it can be used; false when the
    // operator cancels.
    static bool ask(QWidget *parent, const QString &title, const QList<TransferProtocol> &offered,
                    TransferProtocol *chosen);

private:
    QButtonGroup *m_buttons = nullptr;
};
