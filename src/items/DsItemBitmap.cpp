// CDsItemBitmap: the one-bit bitmap item (deletion so far).
#include "DsItemBitmap.h"

CDsItemBitmap::~CDsItemBitmap() = default;
