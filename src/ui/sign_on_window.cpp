#include "ui/sign_on_window.h"

#include "core/version_line.h"
#include "devices/capture_session.h"
#include "ui/form.h"
#include "ui/maker_logo.h"
#include "ui/program_icon.h"
#include "ui/window_font.h"
#include "ui/window_placement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {

namespace signOnLayout {
// clang-format off
constexpr int windowWidth = 5205;
constexpr int windowHeight = 5115;
const Place imgLogoPlace{120, 0, 972, 4908};
const Place lblTitlePlace{1200, 720, 3972, 612};
const Place lblForPlace{2880, 1560, 372, 252};
const Place lblTypePlace{1800, 2040, 2652, 492};
const Place lblCpyrightPlace{2520, 2640, 1212, 372};
const Place lblVersionPlace{2280, 3120, 1695, 255};
const Place lblCompanyPlace{1680, 4200, 2892, 372};
// clang-format on
} // namespace signOnLayout

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

SignOnWindow::SignOnWindow(CaptureSession &session, std::function<void()> showMain, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_session(session)
    , m_showMain(std::move(showMain))
{
    setObjectName(QStringLiteral("frmSignOn"));
    setWindowTitle(tr("Varnok Terminal"));
    setWindowIcon(programIcon());
    setFixedSize(twipsSize(signOnLayout::windowWidth, signOnLayout::windowHeight));
    centreOnOwner(this); // the screen's middle: it has no owner
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);
    setFont(windowFont());

    imgLogo = placeLabel(this, "imgLogo", {}, Qt::AlignCenter, signOnLayout::imgLogoPlace);
    imgLogo->setPixmap(makerLogo());
    imgLogo->setScaledContents(true);

    lblTitle = placeLabel(this, "lblTitle", tr("Varnok Terminal"), Qt::AlignHCenter,
                          signOnLayout::lblTitlePlace);
    lblTitle->setFont(timesFont(21.75, true));
    lblFor = placeLabel(this, "lblFor", tr("for "), Qt::AlignLeft, signOnLayout::lblForPlace);
    lblFor->setFont(timesFont(9.75, true, true));
    lblType = placeLabel(this, "lblType", tr("Data Capture"), Qt::AlignHCenter,
                         signOnLayout::lblTypePlace);
    lblType->setFont(timesFont(14.25));
    lblCpyright = placeLabel(this, "lblCpyright", QStringLiteral("© 2026 Varnok"), Qt::AlignLeft,
                             signOnLayout::lblCpyrightPlace);
    lblVersion = placeLabel(this, "lblVersion", programVersionLine(), Qt::AlignHCenter,
                            signOnLayout::lblVersionPlace);
    lblCompany = placeLabel(this, "lblCompany", QStringLiteral("Varnok Instruments"),
                            Qt::AlignHCenter, signOnLayout::lblCompanyPlace);
    lblCompany->setFont(timesFont(12, true));

    tmrSignOn.setObjectName(QStringLiteral("tmrSignOn"));
    tmrSignOn.setInterval(2000);
    connect(&tmrSignOn, &QTimer::timeout, this, &SignOnWindow::tick);
    tmrSignOn.start();
}

void SignOnWindow::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (tmrSignOn.isActive())
        tick();
}

void SignOnWindow::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    if (tmrSignOn.isActive())
        tick();
}

void SignOnWindow::tick()
{
    tmrSignOn.stop(); // the hand-over runs once
    m_session.setSignOnDefaults();
    if (m_showMain)
        m_showMain();
}

#include "moc_sign_on_window.cpp"
