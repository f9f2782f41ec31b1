// Opening a document with the desktop's default program (ShellExecute with "open").
#pragma once

#include "platform/Win.h"

#include <string>

class CWnd;

// Returns a value above 32 when the document was handed to the desktop, 32 or less when
// it could not be (2: no such file). Passes the modal seam.
INT_PTR ShellExecuteOpen(CWnd* pOwner, const std::string& path);
