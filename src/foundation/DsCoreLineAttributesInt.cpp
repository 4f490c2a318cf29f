// CDsCoreLineAttributesInt: line attributes of the objects of one document type.
#include "DsCoreLineAttributesInt.h"

CDsCoreLineAttributesInt::~CDsCoreLineAttributesInt() = default;
