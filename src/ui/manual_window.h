#pragma once

#include <QString>
#include <QTextBrowser>
#include <QWidget>

// The manual's anchor name for a heading, as the pages' own `#section`
// links spell it: lower case, punctuation left out (hyphens and
// underscores stay), each space a hyphen.
QString headingSlug(const QString &heading);

// The pages of the manual in the program's own viewer: Markdown with its
// pictures, its links to other pages of the manual followed in the same
// window, web addresses given to the desktop. A Markdown page as the
// document reads it has no anchors at its headings, so each page gets one
// per heading (headingSlug(), "-1", "-2"... for a repeated one) when it
// loads, and a link's `#section` goes to that heading.
class ManualBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit ManualBrowser(QWidget *parent = nullptr);

    // The anchor names of the page shown, in page order.
    QStringList headingAnchors() const;

protected:
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override;

private:
    void nameHeadings();
};

// The window Help > User Manual opens: one per main window, raised when
// asked again.
class ManualWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ManualWindow(const QString &manualPath, QWidget *parent = nullptr);

    ManualBrowser *browser() const { return m_browser; }

private:
    ManualBrowser *m_browser;
};
