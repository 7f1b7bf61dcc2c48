#pragma once

#include <QString>

// "Version 3.0.0": the line the sign-on splash and the About box show.
QString versionLine(int major, int minor, int revision);

// The version line of this build.
QString programVersionLine();
