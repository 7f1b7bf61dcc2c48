#pragma once

#include <QApplication>
#include <QEvent>
#include <QMap>
#include <QObject>
#include <QStringList>

#include <algorithm>
#include <utility>

// Counts the paint events each widget takes while it lives: which widgets
// a flood's frames repaint besides the pane's own view.
class PaintCounter : public QObject
{
public:
    PaintCounter() { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }

    // "name count" for each widget painted more than once, most painted
    // first, then how many were painted once (a window's first frame).
    QString summary() const
    {
        QList<std::pair<int, QString>> sorted;
        int once = 0;
        for (auto it = m_counts.begin(); it != m_counts.end(); ++it) {
            if (it.value() > 1)
                sorted.append({it.value(), it.key()});
            else
                ++once;
        }
        std::sort(sorted.begin(), sorted.end(),
                  [](const auto &a, const auto &b) { return a.first > b.first; });
        QStringList parts;
        for (const auto &[count, name] : sorted)
            parts.append(QStringLiteral("%1 %2").arg(name).arg(count));
        parts.append(QStringLiteral("%1 more widgets once each").arg(once));
        return parts.join(QStringLiteral(", "));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_counts[name(watched)];
        return false;
    }

private:
    // The widget's name, or its class; a scroll area's parts by their area.
    static QString name(const QObject *widget)
    {
        const QString own = widget->objectName();
        const QString kind = QString::fromLatin1(widget->metaObject()->className());
        if (own.startsWith(QLatin1String("qt_scrollarea_")) && widget->parent())
            return name(widget->parent()) + QLatin1Char(' ') + own.mid(14);
        if (!own.isEmpty())
            return own;
        if (widget->parent() &&
            widget->parent()->objectName().startsWith(QLatin1String("qt_scrollarea_")))
            return name(widget->parent()) + QLatin1Char(' ') + kind;
        return kind;
    }

    QMap<QString, int> m_counts;
};
