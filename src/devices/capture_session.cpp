#include "devices/capture_session.h"

CaptureSession::CaptureSession(QObject *parent)
    : QObject(parent)
{
    m_channel1.setParent(this);
    m_channel2.setParent(this);
    m_recordings.setParent(this);
}

void CaptureSession::setSignOnDefaults()
{
    m_serialSettings = QStringLiteral("9600,n,8,1");
    m_channel1.module().setSignOnDefaults();
    m_channel2.module().setSignOnDefaults();
}
