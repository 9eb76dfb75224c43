#include "display/DIBImageList.h"

#include "display/PictureCache.h"

#include "core/Errors.h"
#include "core/StringUtil.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace parlora {


TDIBImageLink::~TDIBImageLink() {
    SetDIBImageList(nullptr);
}

void TDIBImageLink::SetDIBImageList(TDIBVolatileImageList* list) {
    if (list == list_) return;
    if (list_) std::erase(list_->links_, this);
    list_ = list;
    if (list_) list_->links_.push_back(this);
    Notify();
}

void TDIBImageLink::SetDIBIndex(int index) {
    if (index < -1) index = -1;
    if (index == index_) return;
    index_ = index;
    Notify();
}

bool TDIBImageLink::Valid() const {
    return list_ && index_ >= 0 && index_ < list_->Count() && !list_->items_[size_t(index_)]->DIB.Empty();
}

const TMemoryDIB* TDIBImageLink::Picture() const {
    return Valid() ? &list_->items_[size_t(index_)]->DIB : nullptr;
}

TDIBVolatileImageList::~TDIBVolatileImageList() {
    for (TDIBImageLink* l : std::vector<TDIBImageLink*>(links_)) {
        l->list_ = nullptr;
        l->Notify();
    }
}

std::function<void(const std::string&)>& TDIBVolatileImageList::WarningHandler() {
    static std::function<void(const std::string&)> handler;
    return handler;
}

TDIBVolatileImagesItem& TDIBVolatileImageList::Add(const std::string& displayName,
                                                   const std::string& filePath, bool autoLoad,
                                                   bool transparent) {
    auto item = std::make_unique<TDIBVolatileImagesItem>();
    item->DisplayName = displayName;
    item->DIB.FilePath = filePath;
    item->DIB.AutoLoad = autoLoad;
    item->DIB.Transparent = transparent;
    int index = Count();
    item->DIB.OnChange = [this, raw = item.get()] {
        for (int i = 0; i < Count(); ++i)
            if (items_[size_t(i)].get() == raw) return PictureChanged(i);
    };
    (void)index;
    items_.push_back(std::move(item));
    return *items_.back();
}

void TDIBVolatileImageList::Delete(int index) {
    if (index < 0 || index >= Count()) throw DIBException(Format("List index out of bounds (%d)", index));
    items_.erase(items_.begin() + index);
    for (TDIBImageLink* l : std::vector<TDIBImageLink*>(links_)) {
        if (l->index_ == index) {
            l->index_ = -1;
            l->Notify();
        } else if (l->index_ > index) {
            --l->index_;
            l->Notify();
        }
    }
}

TDIBVolatileImagesItem& TDIBVolatileImageList::Item(int index) {
    if (index < 0 || index >= Count()) throw DIBException(Format("List index out of bounds (%d)", index));
    return *items_[size_t(index)];
}

int TDIBVolatileImageList::IndexOf(const std::string& displayName) const {
    for (int i = 0; i < Count(); ++i)
        if (IEquals(items_[size_t(i)]->DisplayName, displayName)) return i;
    return -1;
}

TVolatileDIB* TDIBVolatileImageList::FindImage(const std::string& displayName) {
    int i = IndexOf(displayName);
    return i < 0 ? nullptr : &items_[size_t(i)]->DIB;
}

void TDIBVolatileImageList::LoadImageFile(int index, const std::string& fullPath) {
    Item(index).DIB.LoadFromFile(fullPath);
}

void TDIBVolatileImageList::LoadAutoImages(const std::string& root) {
    std::vector<std::string> paths;
    for (const auto& item : items_)
        if (item->DIB.AutoLoad) paths.push_back(root + "\\" + item->DIB.FilePath);
    // A screen's pictures decode side by side; the loads below then find them decoded.
    auto held = PictureCache::Instance().Prefetch(paths);
    for (int i = 0; i < Count(); ++i) {
        TVolatileDIB& dib = items_[size_t(i)]->DIB;
        if (!dib.AutoLoad) continue;
        try {
            dib.LoadFromFile(root + "\\" + dib.FilePath);
        } catch (const std::exception& e) {
            dib.Clear();
            if (auto& warn = WarningHandler()) warn(std::string("Preload failed: ") + e.what());
        }
    }
}

void TDIBVolatileImageList::LoadImageAt(int index, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string path = VFormat(fmt, ap);
    va_end(ap);
    LoadImageFile(index, path);
}

void TDIBVolatileImageList::LoadImageNamed(const std::string& name, const char* fmt, ...) {
    int index = IndexOf(name);
    if (index < 0) throw DIBException("Can't find image called " + name);
    va_list ap;
    va_start(ap, fmt);
    std::string path = VFormat(fmt, ap);
    va_end(ap);
    LoadImageFile(index, path);
}

void TDIBVolatileImageList::PictureChanged(int index) {
    for (TDIBImageLink* l : std::vector<TDIBImageLink*>(links_))
        if (l->index_ == index) l->Notify();
}

} // namespace parlora
