#include "store/Records.h"

#include <algorithm>
#include <new>

#include "store/ReadAhead.h"

namespace tf {

static_assert(sizeof(TFileRec) <= 56, "a file record must stay small");

TFileRec* TFileRec::Construct(void* where, std::string_view name, uint8_t kindFlags) {
  if (name.size() > 255) name = CutText(name, 255);
  auto* rec = new (where) TFileRec(kindFlags);
  rec->NameLen = uint8_t(name.size());
  char* chars = reinterpret_cast<char*>(rec + 1);
  std::copy(name.begin(), name.end(), chars);
  chars[name.size()] = 0;
  return rec;
}

TFileRec* TFileRec::Create(std::string_view name, uint8_t kindFlags) {
  if (name.size() > 255) name = CutText(name, 255);
  void* mem = ::operator new(AllocSize(name.size()));
  return Construct(mem, name, kindFlags);
}

void TFileRec::Destroy(TFileRec* rec) {
  if (!rec) return;
  rec->~TFileRec();
  ::operator delete(static_cast<void*>(rec));
}

TCatalogRec::TCatalogRec() : TItemRec(ikCatalog) {}
TCatalogRec::~TCatalogRec() = default;

TContainerInfo ContainerInfo(TItemRec* rec) {
  if (KindOf(rec) == ikDisk) {
    auto* d = static_cast<TDiskRec*>(rec);
    return {&d->FilesLoaded, &d->FilesOffset, &d->FilesLength, &d->FileCount, &d->DescBytes};
  }
  auto* f = static_cast<TFolderRec*>(rec);
  return {&f->FilesLoaded, &f->FilesOffset, &f->FilesLength, &f->FileCount, &f->DescBytes};
}

bool FilesLoaded(const TItemRec* container) {
  switch (KindOf(container)) {
    case ikDisk: return static_cast<const TDiskRec*>(container)->FilesLoaded != 0;
    case ikFolder: return static_cast<const TFolderRec*>(container)->FilesLoaded != 0;
    default: return true;
  }
}

TText* DescriptionOf(TItemRec* rec) {
  switch (KindOf(rec)) {
    case ikFile: return &static_cast<TFileRec*>(rec)->Description;
    case ikFolder: return &static_cast<TFolderRec*>(rec)->Description;
    case ikDisk: return &static_cast<TDiskRec*>(rec)->Description;
    case ikCatalog: return &static_cast<TCatalogRec*>(rec)->Description;
  }
  return nullptr;
}

const TText* DescriptionOf(const TItemRec* rec) {
  return DescriptionOf(const_cast<TItemRec*>(rec));
}

uint8_t* CategoryFlagsOf(TItemRec* rec) {
  switch (KindOf(rec)) {
    case ikFile: return &static_cast<TFileRec*>(rec)->CategoryFlags;
    case ikFolder: return &static_cast<TFolderRec*>(rec)->CategoryFlags;
    default: return nullptr;
  }
}

uint64_t DiskBytes(const TDiskRec* disk, int which) {
  auto count = [](int32_t v) { return v > 0 ? uint64_t(v) : uint64_t(0); };
  uint64_t clusters;
  switch (which) {
    case 1: clusters = count(disk->FreeClusters); break;
    case 2: {
      uint64_t total = count(disk->TotalClusters), free = count(disk->FreeClusters);
      clusters = total > free ? total - free : 0;
      break;
    }
    default: clusters = count(disk->TotalClusters); break;
  }
  // Three 31-bit factors need up to 93 bits.
  unsigned __int128 bytes = static_cast<unsigned __int128>(clusters) *
                            count(disk->SectorsPerCluster) * count(disk->BytesPerSector);
  return bytes > UINT64_MAX ? UINT64_MAX : uint64_t(bytes);
}

void FreeRecord(TItemRec* rec) {
  if (!rec) return;
  switch (KindOf(rec)) {
    case ikFile: TFileRec::Destroy(static_cast<TFileRec*>(rec)); break;
    case ikFolder: delete static_cast<TFolderRec*>(rec); break;
    case ikDisk: delete static_cast<TDiskRec*>(rec); break;
    case ikCatalog: delete static_cast<TCatalogRec*>(rec); break;
  }
}

}  // namespace tf
