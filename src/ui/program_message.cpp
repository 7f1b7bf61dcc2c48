#include "ui/program_message.h"

#include <QMessageBox>

QString programTitle()
{
    return QStringLiteral("VarnokTerm");
}

QMessageBox *showProgramMessage(QWidget *parent, const QString &text,
                                const QString &informativeText)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("programMessage"));
    box->setInformativeText(informativeText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->show();
    return box;
}
