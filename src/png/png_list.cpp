#include "png/png_list.h"

namespace png {

void TPNGPointerList::Append(void* item) { FItems.push_back(item); }

void* TPNGPointerList::Extract(void* item) {
    for (auto place = FItems.rbegin(); place != FItems.rend(); ++place) {
        if (*place == item) {
            FItems.erase(std::next(place).base());
            return item;
        }
    }
    return nullptr;
}

void* TPNGPointerList::ItemAt(std::int64_t index) const {
    if (index < 0 || index >= static_cast<std::int64_t>(FItems.size())) return nullptr;
    return FItems[static_cast<std::size_t>(index)];
}

void TPNGPointerList::SetItemAt(std::int64_t index, void* item) {
    if (index < 0 || index >= static_cast<std::int64_t>(FItems.size())) return;
    FItems[static_cast<std::size_t>(index)] = item;
}

void TPNGPointerList::SetItemCount(std::uint32_t count) {
    if (count == 0)
        std::vector<void*>().swap(FItems);
    else
        FItems.resize(count, nullptr);
}

}  // namespace png
