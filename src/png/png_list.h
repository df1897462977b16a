// Lists of pointers that never own what they point to.
#pragma once

#include <cstdint>
#include <vector>

namespace png {

class TPNGObject;
class TChunk;

// A growable array of untyped pointers.
class TPNGPointerList {
public:
    explicit TPNGPointerList(TPNGObject* owner) : FOwner(owner) {}
    virtual ~TPNGPointerList() = default;
    TPNGPointerList(const TPNGPointerList&) = delete;
    TPNGPointerList& operator=(const TPNGPointerList&) = delete;

    TPNGObject* ListOwner() const noexcept { return FOwner; }
    std::uint32_t ItemCount() const noexcept { return static_cast<std::uint32_t>(FItems.size()); }

    void Append(void* item);

    // Removes the last place holding exactly this pointer and returns it;
    // null, with the list unchanged, when no place holds it.
    virtual void* Extract(void* item);

    // Null / no effect for an index outside 0 .. ItemCount - 1.
    void* ItemAt(std::int64_t index) const;
    void SetItemAt(std::int64_t index, void* item);

    // Grows or shrinks the list; new places hold null.
    void SetItemCount(std::uint32_t count);

private:
    TPNGObject* FOwner;
    std::vector<void*> FItems;
};

// The chunks of an image, in file order.
class TPNGList : public TPNGPointerList {
public:
    using TPNGPointerList::TPNGPointerList;

    TChunk* ItemAt(std::int64_t index) const { return static_cast<TChunk*>(TPNGPointerList::ItemAt(index)); }

    // The first chunk that is a C (or descends from it), null if none.
    template <class C>
    C* FindByClass() const {
        for (std::uint32_t i = 0; i < ItemCount(); ++i)
            if (auto* chunk = dynamic_cast<C*>(ItemAt(i))) return chunk;
        return nullptr;
    }
};

}  // namespace png
