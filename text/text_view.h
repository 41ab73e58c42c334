// The text view and the copy to the clipboard.
#pragma once

#include "context/viewer.h"

void showTextView(Viewer& v);
void checkCopyKeys(Viewer& v);
