#pragma once
#include <cstddef>

#include "resource.h"

// The dialogs' layouts as data, in dialog units, in the order a resource
// template would list them. ui/ builds the windows from these tables, so the
// same table serves every platform.
namespace wordloom::res {

enum class ControlKind { kPushButton, kEdit, kStaticText, kGroupBox, kComboBox, kIcon };

// Control styles, named after what they do rather than after one platform's bits.
enum ControlStyle : unsigned {
  kTabStop = 1u << 0,
  kDefaultButton = 1u << 1,
  kBorder = 1u << 2,
  kDigitsOnly = 1u << 3,
  kAutoHScroll = 1u << 4,
  kCentre = 1u << 5,  // centred text
  kGroup = 1u << 6,   // starts a group for arrow-key moves
  kDropDown = 1u << 7,  // combo box: drop-down list with an edit field
  kSorted = 1u << 8,
  kVScroll = 1u << 9,
  kNoPrefix = 1u << 10,  // '&' is shown, not a mnemonic
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  unsigned style;
  const char* caption;  // UTF-8; for kIcon the icon's resource id as text
  int x, y, w, h;       // dialog units; a combo box's h is its drop-down list's height
  const char* const* items = nullptr;  // initial list data, in display order
  size_t itemCount = 0;
};

struct DialogTemplate {
  int id;
  const char* caption;  // UTF-8
  int cx, cy;           // client size in dialog units
  const char* fontFace;
  int pointSize;
  bool appWindow;       // has its own taskbar button
  const ControlTemplate* controls;
  size_t controlCount;
};

const DialogTemplate& TitleDialogTemplate();  // IDD_TITLE_DIALOG
const DialogTemplate& AboutBoxTemplate();     // IDD_ABOUTBOX

// The string table; nullptr for an unknown id.
const char* StringResource(int id);

// The application's name, the caption of its message boxes.
inline const char kAppName[] = "Wordloom";

}  // namespace wordloom::res
