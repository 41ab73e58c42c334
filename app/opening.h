// Opening a document: every feature's part of an opening, in its fixed order.
#pragma once

#include <string>

#include "context/viewer.h"

// The opening steps for a path chosen by the user (the chooser, the command line, tests).
void openDocumentPath(Viewer& v, const std::string& chosenPath);
