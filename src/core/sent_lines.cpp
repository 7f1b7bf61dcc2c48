#include "core/sent_lines.h"

void SentLines::add(const QString &line)
{
    endWalk();
    if (line.isEmpty())
        return;
    m_lines.removeAll(line);
    m_lines.append(line);
    if (m_lines.size() > kept)
        m_lines.remove(0, m_lines.size() - kept);
}

std::optional<QString> SentLines::older(const QString &typed)
{
    const qsizetype from = m_position < 0 ? m_lines.size() : m_position;
    if (from == 0)
        return std::nullopt;
    if (m_position < 0)
        m_typed = typed;
    m_position = from - 1;
    return m_lines.at(m_position);
}

std::optional<QString> SentLines::newer()
{
    if (m_position < 0)
        return std::nullopt;
    if (++m_position < m_lines.size())
        return m_lines.at(m_position);
    endWalk();
    return m_typed;
}

std::optional<QString> SentLines::search(const QString &typed, const QString &term)
{
    const qsizetype from = m_position < 0 ? m_lines.size() : m_position;
    for (qsizetype i = from - 1; i >= 0; --i) {
        if (!m_lines.at(i).contains(term, Qt::CaseInsensitive))
            continue;
        if (m_position < 0)
            m_typed = typed;
        m_position = i;
        return m_lines.at(i);
    }
    return std::nullopt;
}

void SentLines::setLines(const QStringList &lines)
{
    m_lines.clear();
    for (const QString &line : lines)
        add(line);
}
