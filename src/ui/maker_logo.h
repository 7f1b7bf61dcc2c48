#pragma once

#include <QPixmap>

// The maker's word mark: red letters running from bottom to top on white,
// drawn at 138 x 646 pixels.
QPixmap makerLogo();
