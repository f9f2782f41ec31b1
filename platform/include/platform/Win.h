// The framework's basic types and constants, as the application code names them.
#pragma once

#include "res/Ids.h"

#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;
using COLORREF = std::uint32_t;
using HMODULE = void*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}

// Message box styles.
inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_OKCANCEL = 0x0001;
inline constexpr UINT MB_ICONQUESTION = 0x0020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x0030;
inline constexpr UINT MB_TYPEMASK = 0x000F;
inline constexpr UINT MB_ICONMASK = 0x00F0;
inline constexpr UINT MB_DEFBUTTON2 = 0x0100; // the second button (Cancel) is the default

// Show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

// Notifications.
inline constexpr int BN_CLICKED = 0;
inline constexpr int NM_DBLCLK = -3;

// List view, list box, combo box.
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr int LVSCW_AUTOSIZE_USEHEADER = -2;
inline constexpr int LVNI_SELECTED = 2;
inline constexpr int LVSIL_SMALL = 1;
inline constexpr int LB_ERR = -1;
inline constexpr int CB_ERR = -1;

// File dialog flags.
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x0002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x0004;
