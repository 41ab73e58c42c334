// Opening a document: every feature's part of an opening, in its fixed order.
#pragma once

#include <string>

#include "context/viewer.h"

// The opening steps for a path chosen by the user (the chooser, the command line, tests).
void openDocumentPath(Viewer& v, const std::string& chosenPath);
// The password panel's Open or Return: false when the password is wrong (the panel asks again);
// otherwise the opening goes on as for any other document, or says why it cannot.
bool submitPassword(Viewer& v);
// The password panel's Cancel: the document stays closed and the message panel says why.
void abandonLockedDocument(Viewer& v);
