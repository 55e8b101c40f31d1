#pragma once

#include <QStringList>

namespace mainwindow {

// What every start of the program does before its first window: loads the
// program's own pictures (the emblem, the About picture), names the program
// and its version, finds an icon theme and sets the program icon. Needs the
// QApplication. Tests that show the program's windows call it as well.
void setUpApplication();

// The pictures the program ships and cannot do without, by resource path.
QStringList requiredResources();

// Those of requiredResources() that cannot be read as pictures; empty when the
// program carries all of them.
QStringList missingResources();

// The program's self-check ("cloakwell --check-resources"): prints what is
// missing to standard error and gives the exit status, 0 when nothing is.
int checkResources();

} // namespace mainwindow
