#include "ui/program_message.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

// Room a title bar takes besides its text: the icon and the buttons.
constexpr int titleBarExtras = 160;

} // namespace

QString programTitle()
{
    return QStringLiteral("VarnokTerm");
}

int programMessageMinimumWidth()
{
    return QFontMetrics(QApplication::font()).horizontalAdvance(programTitle()) + titleBarExtras;
}

QMessageBox *showProgramMessage(QWidget *parent, const QString &text,
                                const QString &informativeText)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, programTitle(), text, QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("programMessage"));
    box->setInformativeText(informativeText);
    // Names, paths and words from peers and files are never read as markup
    // (the box passes its format on to the informative text's label only
    // when that label is there first).
    box->setTextFormat(Qt::PlainText);
    for (QLabel *label : box->findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    // A short text ("No Data!") would make a box too narrow for its title:
    // the message box sizes itself, so its layout gets a spacer as wide as
    // the title needs.
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout()))
        grid->addItem(new QSpacerItem(programMessageMinimumWidth(), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    box->show();
    return box;
}

QString plainToolTip(const QString &text)
{
    // A tool tip guesses whether its text is markup: this one always is,
    // made from the text escaped.
    return text.isEmpty() ? text
                          : QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() +
                                QStringLiteral("</p>");
}
