#include "ui/manual_window.h"

#include <QDialogButtonBox>
#include <QHash>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

QString headingSlug(const QString &heading)
{
    QString slug;
    for (const QChar c : heading.toLower()) {
        if (c.isLetterOrNumber() || c == u'-' || c == u'_')
            slug += c;
        else if (c == u' ')
            slug += u'-';
    }
    return slug;
}

ManualBrowser::ManualBrowser(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenExternalLinks(true);
}

void ManualBrowser::doSetSource(const QUrl &name, QTextDocument::ResourceType type)
{
    // "#section" alone is a place on the page shown: resolved against it,
    // the page is not read again (and is read as Markdown when it is).
    const QUrl target = name.isRelative() ? source().resolved(name) : name;
    if (type == QTextDocument::UnknownResource &&
        target.path().endsWith(QLatin1String(".md"), Qt::CaseInsensitive))
        type = QTextDocument::MarkdownResource;
    QTextBrowser::doSetSource(target, type);
    // A page just read (here, or by Back and Forward) has no anchors yet:
    // the section is looked for again once they are there.
    if (headingAnchors().isEmpty()) {
        nameHeadings();
        if (target.hasFragment())
            scrollToAnchor(target.fragment(QUrl::FullyDecoded));
    }
}

void ManualBrowser::nameHeadings()
{
    QHash<QString, int> used;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 || block.length() <= 1)
            continue;
        QString anchor = headingSlug(block.text());
        if (const int times = used[anchor]++; times > 0)
            anchor += QStringLiteral("-%1").arg(times);
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setAnchor(true);
        format.setAnchorNames({anchor});
        cursor.mergeCharFormat(format);
    }
}

QStringList ManualBrowser::headingAnchors() const
{
    QStringList anchors;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0)
            anchors += block.begin().fragment().charFormat().anchorNames();
    }
    return anchors;
}

ManualWindow::ManualWindow(const QString &manualPath, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new ManualBrowser(this))
{
    setObjectName(QStringLiteral("manualWindow"));
    setWindowTitle(tr("VarnokTerm User Manual"));
    m_browser->setObjectName(QStringLiteral("manualText"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    auto *back = buttons->addButton(tr("&Back"), QDialogButtonBox::ActionRole);
    back->setEnabled(false);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(760, 640);
    m_browser->setSource(QUrl::fromLocalFile(manualPath), QTextDocument::MarkdownResource);
}

#include "moc_manual_window.cpp"
