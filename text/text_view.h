// The text view and the copy to the clipboard.
#pragma once

#include "app/viewer.h"

void showTextView(Viewer& v);
void checkCopyKeys(Viewer& v);
