#pragma once
// Image lists: named pictures loaded from the data directory, and links that elements use to point at them.
#include "display/MemoryDIB.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace parlora {

class TDIBVolatileImageList;

// A list and an index into it; -1 = none. The list moves links when items go away.
class TDIBImageLink {
  public:
    TDIBImageLink() = default;
    ~TDIBImageLink();
    TDIBImageLink(const TDIBImageLink&) = delete;
    TDIBImageLink& operator=(const TDIBImageLink&) = delete;

    TDIBVolatileImageList* DIBImageList() const { return list_; }
    void SetDIBImageList(TDIBVolatileImageList* list);
    int DIBIndex() const { return index_; }
    void SetDIBIndex(int index);
    bool Valid() const;
    // The linked picture, or nullptr when the link is not valid.
    const TMemoryDIB* Picture() const;

    // Told when the index, the list or the linked picture changes.
    std::function<void()> OnChange;

  private:
    friend class TDIBVolatileImageList;
    void Notify() {
        if (OnChange) OnChange();
    }
    TDIBVolatileImageList* list_ = nullptr;
    int index_ = -1;
};

struct TDIBVolatileImagesItem {
    std::string DisplayName;
    TVolatileDIB DIB;
};

class TDIBVolatileImageList {
  public:
    TDIBVolatileImageList() = default;
    ~TDIBVolatileImageList();
    TDIBVolatileImageList(const TDIBVolatileImageList&) = delete;
    TDIBVolatileImageList& operator=(const TDIBVolatileImageList&) = delete;

    int Count() const { return int(items_.size()); }
    TDIBVolatileImagesItem& Add(const std::string& displayName, const std::string& filePath = {},
                                bool autoLoad = false, bool transparent = false);
    void Delete(int index);
    TDIBVolatileImagesItem& Item(int index);
    TVolatileDIB& operator[](int index) { return Item(index).DIB; }
    int IndexOf(const std::string& displayName) const; // -1 when absent; case-insensitive, first wins
    TVolatileDIB* FindImage(const std::string& displayName);

    // Loads each AutoLoad item from root + "\" + FilePath; failures clear the item and warn.
    void LoadAutoImages(const std::string& root);
    void LoadImageAt(int index, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
    void LoadImageNamed(const std::string& name, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
    void LoadImageFile(int index, const std::string& fullPath);

    // The main window shows these as a warning dialog with one OK button.
    static std::function<void(const std::string&)>& WarningHandler();

  private:
    friend class TDIBImageLink;
    void PictureChanged(int index);
    std::vector<std::unique_ptr<TDIBVolatileImagesItem>> items_;
    std::vector<TDIBImageLink*> links_;
};

} // namespace parlora
