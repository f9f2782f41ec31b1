// Resources of the application: dialog templates (in dialog units), the string table,
// the icon, the folder/file bitmap and the version.
//
// Dialog templates are plain data, one file per template: res/src/DialogNNN.cpp defines
//
//     namespace res {
//     const Dialog& DialogTemplateNNN() { static const Dialog d{...}; return d; }
//     }
//
// and the build collects every res/src/Dialog*.cpp into the registry behind FindDialog,
// so a new template needs no edit anywhere else.
#pragma once

#include "res/Ids.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class QIcon;
class QImage;

namespace res {

// The interface's languages. The Japanese texts are the source and the default.
enum class Language : std::uint8_t { Japanese, English };

// The language every text below is given in: chosen once at start-up, Japanese until then.
void SetLanguage(Language language);
Language CurrentLanguage();

// A text the user sees, in every language of the interface (so none can be left out).
struct Text {
    constexpr Text() = default;
    constexpr Text(std::string_view japanese, std::string_view english)
        : ja(japanese), en(english) {}
    std::string_view ja;
    std::string_view en;
    // The text in the interface's language.
    std::string_view Get() const;
};

// Control kinds of a template.
enum class Kind : std::uint8_t {
    Edit,
    Button,    // push button
    DefButton, // default push button
    AutoCheck, // auto check box
    GroupBox,  // a frame with a caption, nothing more
    Static,    // text label
    ListBox,
    ComboBox, // drop-down list; the rectangle's height is the open list
    ListView, // report view
    Progress,
    Icon, // the control's text names the icon resource ("128")
};

// Control styles (a subset of what the Windows dialog manager knows).
enum Style : std::uint32_t {
    kNone = 0,
    kMultiLine = 1u << 0,
    kReadOnly = 1u << 1,
    kPassword = 1u << 2,
    kAutoHScroll = 1u << 3,
    kAutoVScroll = 1u << 4,
    kHidden = 1u << 5,    // not visible at creation
    kNoTabStop = 1u << 6, // skipped by Tab (controls that usually are tab stops)
    kNotify = 1u << 7,
    kVScroll = 1u << 8,
    kNoIntegralHeight = 1u << 9,
    kSingleSel = 1u << 10, // list view: one row at a time
    kBorder = 1u << 11,
    kRight = 1u << 12,    // right-aligned text
    kNoPrefix = 1u << 13, // "&" is shown as is
    kDisabled = 1u << 14,
};

// Dialog styles.
enum DialogStyle : std::uint32_t {
    kDsNone = 0,
    kDsVisible = 1u << 0, // shown when created modeless
    kDsSysMenu = 1u << 1,
    kDsModalFrame = 1u << 2,
    kDsAppWindow = 1u << 3, // shown in the task bar
};

struct Control {
    // Both captions are given; a control without one has two empty texts.
    constexpr Control(int id_, Kind kind_, int x_, int y_, int cx_, int cy_, std::string_view ja,
                      std::string_view en, std::uint32_t style_)
        : id(id_), kind(kind_), x(x_), y(y_), cx(cx_), cy(cy_), text(ja, en), style(style_) {}
    int id;
    Kind kind;
    int x, y, cx, cy; // dialog units
    Text text;
    std::uint32_t style;
};

struct Dialog {
    int id;
    Text caption;
    int cx, cy; // client area, dialog units
    std::string_view font;
    int pointSize;
    std::uint32_t style;
    std::span<const Control> controls; // template (tab) order
};

// The template with that ID, or nullptr.
const Dialog* FindDialog(int id);

// The string-table text (UTF-8) with that ID in the interface's language; empty when the
// table has none.
std::string_view LoadString(int id);
bool HasString(int id);

// Icon and bitmap resources, as paths into the Qt resource system (":/...").
// Resource path of an icon (one size of it) or a bitmap; empty when unknown.
std::string IconPath(int id, int size);
std::string BitmapPath(int id);
// Every size of an icon, decoded once per application object.
QIcon LoadIcon(int id);
// A PNG resource (a path above) as an image; null when it cannot be read.
QImage LoadPng(const std::string& path);
// Makes the resources reachable; called by the two functions above (idempotent).
void InitResources();

// Version block.
inline constexpr std::string_view kFileVersion = "1.0.3.0";
inline constexpr std::string_view kProductName = "Tovalo";

// The help page, in the folder Help/Tovalo beside the executable.
inline constexpr Text kHelpPage{"index.htm", "index-en.htm"};

// The font that stands in for the templates' face with the same metrics.
inline constexpr std::string_view kFallbackFont = "IPAPGothic";

} // namespace res
