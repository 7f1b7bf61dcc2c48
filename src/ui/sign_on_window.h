#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

class CaptureSession;
class QLabel;

// The sign-on splash: title, version and maker for two seconds, then it sets
// the channels' program-wide defaults and hands over to the main window,
// whose start-up closes it. A click or a key hands over at once.
class SignOnWindow : public QWidget
{
    Q_OBJECT

public:
    SignOnWindow(CaptureSession &session, std::function<void()> showMain,
                 QWidget *parent = nullptr);

    QTimer &timer() { return tmrSignOn; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void tick();

    CaptureSession &m_session;
    std::function<void()> m_showMain;
    QTimer tmrSignOn;
    QLabel *imgLogo = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblFor = nullptr;
    QLabel *lblType = nullptr;
    QLabel *lblCpyright = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblCompany = nullptr;
};
