#include "app_icons.h"

#ifdef __WXMSW__
#include <wx/icon.h>

#include "resource.h"

namespace wordloom::ui {
namespace {

// On Windows the icon lives in the executable's resources (IDR_MAINFRAME,
// 16 and 32 pixels), where the shell finds it too; "#128" names it by id.
wxIcon ResourceIcon(int size) {
  wxIcon icon;
  icon.LoadFile(wxString::Format("#%d", IDR_MAINFRAME), wxBITMAP_TYPE_ICO_RESOURCE, size, size);
  return icon;
}

}  // namespace

wxBitmap AppIconBitmap(int size) {
  if (size != 16 && size != 32) return wxBitmap();
  const wxIcon icon = ResourceIcon(size);
  wxBitmap bitmap;
  if (icon.IsOk()) bitmap.CopyFromIcon(icon);
  return bitmap;
}

wxIconBundle AppIcons() {
  wxIconBundle bundle;
  for (int size : {16, 32}) {
    const wxIcon icon = ResourceIcon(size);
    if (icon.IsOk()) bundle.AddIcon(icon);
  }
  return bundle;
}

}  // namespace wordloom::ui

#else

#include <wx/image.h>
#include <wx/mstream.h>

#include "app_icon_data.h"

namespace wordloom::ui {
namespace {

struct IconPng {
  int size;
  const unsigned char* data;
  size_t length;
};

const IconPng kIcons[] = {
    {16, res::kIcon16Png, res::kIcon16PngSize},
    {32, res::kIcon32Png, res::kIcon32PngSize},
    {48, res::kIcon48Png, res::kIcon48PngSize},
    {256, res::kIcon256Png, res::kIcon256PngSize},
};

wxBitmap Decode(const IconPng& icon) {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  wxMemoryInputStream stream(icon.data, icon.length);
  wxImage image(stream, wxBITMAP_TYPE_PNG);
  return image.IsOk() ? wxBitmap(image) : wxBitmap();
}

}  // namespace

wxBitmap AppIconBitmap(int size) {
  for (const IconPng& icon : kIcons) {
    if (icon.size == size) return Decode(icon);
  }
  return wxBitmap();
}

wxIconBundle AppIcons() {
  wxIconBundle bundle;
  for (const IconPng& icon : kIcons) {
    const wxBitmap bitmap = Decode(icon);
    if (!bitmap.IsOk()) continue;
    wxIcon ico;
    ico.CopyFromBitmap(bitmap);
    bundle.AddIcon(ico);
  }
  return bundle;
}

}  // namespace wordloom::ui

#endif
