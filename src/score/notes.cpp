#include "score/item.h"

namespace qs {

TQSItem* CreateSoundingItem(TQSItemType, TQSItemOwner*) { return nullptr; }

}  // namespace qs
