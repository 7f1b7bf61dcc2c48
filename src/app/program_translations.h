#pragma once

#include <QLocale>

// Shows the program in the operator's language: installs the program's own
// translation for `locale` (built into the program, German so far) and Qt's
// for its standard dialogs and buttons (qtbase, from Qt's translations
// folder, when the system has it). English needs neither. Each call replaces
// what an earlier one installed. Returns whether the program's own
// translation was found. Headless runs stay in English: scripts read their
// output.
bool installProgramTranslations(const QLocale &locale);
