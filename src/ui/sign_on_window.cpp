#include "ui/sign_on_window.h"

#include "core/channel_state.h"
#include "ui/maker_logo.h"
#include "ui/program_icon.h"
#include "ui/twips.h"
#include "core/version_line.h"
#include "ui/window_font.h"

#include <QLabel>

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, Qt::Alignment align,
              const QRect &at)
{
    auto *lbl = new QLabel(text, parent);
    lbl->setObjectName(QLatin1String(name));
    lbl->setAlignment(align | Qt::AlignVCenter);
    lbl->setGeometry(at);
    return lbl;
}

QFont timesFont(qreal points, bool bold = false, bool italic = false)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

} // namespace

SignOnWindow::SignOnWindow(ModuleValues &module, std::function<void()> showMain, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_module(module)
    , m_showMain(std::move(showMain))
{
    setObjectName(QStringLiteral("frmSignOn"));
    setWindowTitle(tr("Varnok Terminal"));
    setWindowIcon(programIcon());
    setFixedSize(twipsSize(5205, 5115));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);
    setFont(windowFont());

    imgLogo = label(this, "imgLogo", {}, Qt::AlignCenter, twipsRect(120, 0, 972, 4908));
    imgLogo->setPixmap(makerLogo());
    imgLogo->setScaledContents(true);

    lblTitle = label(this, "lblTitle", tr("Varnok Terminal"), Qt::AlignHCenter,
                     twipsRect(1200, 720, 3972, 612));
    lblTitle->setFont(timesFont(21.75, true));
    lblFor = label(this, "lblFor", tr("for "), Qt::AlignLeft, twipsRect(2880, 1560, 372, 252));
    lblFor->setFont(timesFont(9.75, true, true));
    lblType = label(this, "lblType", tr("Data Capture"), Qt::AlignHCenter,
                    twipsRect(1800, 2040, 2652, 492));
    lblType->setFont(timesFont(14.25));
    lblCpyright = label(this, "lblCpyright", QStringLiteral("© 2026 Varnok"), Qt::AlignLeft,
                        twipsRect(2520, 2640, 1212, 372));
    lblVersion = label(this, "lblVersion", programVersionLine(), Qt::AlignHCenter,
                       twipsRect(2280, 3120, 1695, 255));
    lblCompany = label(this, "lblCompany", QStringLiteral("Varnok Instruments"), Qt::AlignHCenter,
                       twipsRect(1680, 4200, 2892, 372));
    lblCompany->setFont(timesFont(12, true));

    tmrSignOn.setObjectName(QStringLiteral("tmrSignOn"));
    tmrSignOn.setInterval(2000);
    connect(&tmrSignOn, &QTimer::timeout, this, &SignOnWindow::tick);
    tmrSignOn.start();
}

void SignOnWindow::tick()
{
    tmrSignOn.stop(); // the hand-over runs once
    m_module.setSignOnDefaults();
    if (m_showMain)
        m_showMain();
}
