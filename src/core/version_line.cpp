#include "core/version_line.h"

#include "version.h"

QString versionLine(int major, int minor, int revision)
{
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString programVersionLine()
{
    return versionLine(Version::major, Version::minor, Version::revision);
}
