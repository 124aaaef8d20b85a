#include "app_icons.h"

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
