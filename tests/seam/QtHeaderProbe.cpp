// Built only by the EditorSeam test, with the editor's include directories:
// the build must fail at the first line. The editor header after it is there
// so that the probe is an editor source in every other respect.
#include <QWidget>

#include "editor/Afedit.h"

QWidget* ProbeWidget() { return nullptr; }
