#include "platform/vcl/menus.h"

namespace vcl {

void TPopupMenu::Popup(int x, int y) {
    std::vector<std::string> captions;
    captions.reserve(Items.size());
    for (const TMenuItem& item : Items) captions.push_back(item.Caption());
    Platform& platform = FApplication.System();
    const int chosen = platform.TrackPopupMenu(platform.ApplicationWindow(), captions, {x, y});
    if (chosen >= 0 && static_cast<std::size_t>(chosen) < Items.size())
        Items[static_cast<std::size_t>(chosen)].Click(FApplication);
}

}  // namespace vcl
