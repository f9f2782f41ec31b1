// Message boxes by string-table ID (the framework's AfxMessageBox). The caption is the
// application's name; the buttons are OK, or OK and Cancel.
#pragma once

#include "platform/Win.h"

#include <string>

// Shows string nIDPrompt of the string table; returns IDOK or IDCANCEL.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK);
// Shows `text`; `nIDPrompt` is the string it was made from (0: none), for the record.
int AfxMessageBox(const std::string& text, UINT nType = MB_OK, UINT nIDPrompt = 0);
// Shows string nIDPrompt with its "%s" replaced by `arg`.
int AfxFormatMessageBox(UINT nIDPrompt, UINT nType, const std::string& arg);
